// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/InputFile.h"
#include "core/rtf/RichTextDump.h"
#include "core/rtf/RtfReader.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace tolvane::rtf {
namespace {

// Every tests/core/rtf/golden/NAME.rtf against NAME.txt, the dump of its
// paragraphs (first position, tab, text), as `tolvane-tool rtf --paragraphs`
// prints it.
TEST(RtfGoldenTest, EveryCase_MatchesItsParagraphDump) {
    const std::filesystem::path folder =
        std::filesystem::path(TOLVANE_SOURCE_DIR) / "tests" / "core" / "rtf" / "golden";
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".rtf")
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_GE(inputs.size(), 12u);
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        std::string rtf;
        std::string expected;
        ASSERT_TRUE(InputFile::readAll(input.string(), rtf));
        std::filesystem::path golden = input;
        golden.replace_extension(".txt");
        ASSERT_TRUE(InputFile::readAll(golden.string(), expected));
        EXPECT_EQ(RichTextDump::dump(rtf, RichTextDump::Mode::Paragraphs), expected);
    }
}

// Every tests/core/rtf/golden/NAME.rtf that has a NAME.model against it: the
// document model (formats, tables, marks), as `tolvane-tool rtf --model`
// prints it. The text-only reading must number those documents the same.
TEST(RtfGoldenTest, ModelCases_MatchTheirModelDump) {
    const std::filesystem::path folder =
        std::filesystem::path(TOLVANE_SOURCE_DIR) / "tests" / "core" / "rtf" / "golden";
    std::vector<std::filesystem::path> models;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".model")
            models.push_back(entry.path());
    std::sort(models.begin(), models.end());
    ASSERT_GE(models.size(), 8u);
    for (const auto& model : models) {
        SCOPED_TRACE(model.filename().string());
        std::filesystem::path input = model;
        input.replace_extension(".rtf");
        std::string rtf;
        std::string expected;
        ASSERT_TRUE(InputFile::readAll(input.string(), rtf));
        ASSERT_TRUE(InputFile::readAll(model.string(), expected));
        EXPECT_EQ(RichTextDump::dump(rtf, RichTextDump::Mode::Model), expected);
        EXPECT_EQ(RtfReader::read(rtf).text, RtfReader::displayedText(rtf));
    }
}

} // namespace
} // namespace tolvane::rtf
