// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/InputFile.h"
#include "core/rtf/RichTextDump.h"
#include "core/rtf/RtfReader.h"
#include "support/CorpusFiles.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane::rtf {
namespace {

// The golden cases in tests/core/rtf/golden: every NAME.rtf against NAME.txt,
// the dump of its paragraphs (first position, tab, text) as `tolvane-tool rtf
// --paragraphs` prints it; and every NAME.model against NAME.rtf, the
// document model (formats, tables, marks) as `tolvane-tool rtf --model`
// prints it. The text-only reading must number each document the same.
TEST(RtfGoldenTest, EveryCase_MatchesItsDumps) {
    const std::string folder = std::string(TOLVANE_SOURCE_DIR) + "/tests/core/rtf/golden";
    const struct {
        const char* listed; // the files that make the cases
        const char* golden;
        RichTextDump::Mode mode;
        size_t atLeast;
    } dumps[] = {
        {".rtf", ".txt", RichTextDump::Mode::Paragraphs, 12},
        {".model", ".model", RichTextDump::Mode::Model, 8},
    };
    for (const auto& d : dumps) {
        const size_t cases = test::ForEachFile(
            {folder}, d.listed, [&d](const std::string& path, const std::string&) {
                const std::string stem = path.substr(0, path.rfind('.'));
                std::string rtf;
                std::string expected;
                ASSERT_TRUE(InputFile::readAll(stem + ".rtf", rtf));
                ASSERT_TRUE(InputFile::readAll(stem + d.golden, expected));
                EXPECT_EQ(RichTextDump::dump(rtf, d.mode), expected);
                EXPECT_EQ(RtfReader::read(rtf).text, RtfReader::displayedText(rtf));
            });
        EXPECT_GE(cases, d.atLeast) << d.golden;
    }
}

} // namespace
} // namespace tolvane::rtf
