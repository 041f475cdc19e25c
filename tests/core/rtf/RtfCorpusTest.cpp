// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/InputFile.h"
#include "core/rtf/RichTextDump.h"
#include "core/rtf/RtfReader.h"
#include "support/CorpusFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>

namespace tolvane::rtf {
namespace {

// Real help sources and rich-edit documents: reading must give their words
// and nothing of the RTF itself.
TEST(RtfCorpusTest, EveryFile_GivesSensibleText) {
    const std::filesystem::path corpus = std::filesystem::path(TOLVANE_SHARED_DIR) / "corpus";
    if (!std::filesystem::is_directory(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    size_t files = 0;
    RtfTextReader reader;
    for (const std::string& file : test::FilesWithExtension({corpus.string()}, ".rtf")) {
        ++files;
        SCOPED_TRACE(file);
        const std::string name = std::filesystem::path(file).filename().string();
        std::string rtf;
        ASSERT_TRUE(InputFile::readAll(file, rtf));
        const RichDocument document = RtfReader::read(rtf);
        EXPECT_EQ(RtfReader::displayedText(rtf), document.text);
        // The second time, the font table comes from the reader.
        EXPECT_EQ(reader.displayedText(rtf), document.text);
        EXPECT_EQ(reader.displayedText(rtf), document.text);
        const std::string text = RichTextDump::toUtf8(document.text);
        EXPECT_GT(text.size(), 200u);
        for (const char* leaked : {"\\par", "fonttbl", "panose", "colortbl", "HID_", "\\f0",
                                   "stylesheet", "Normal;", "\\'"})
            EXPECT_EQ(text.find(leaked), std::string::npos) << leaked;
        if (name == "Winprom.rtf") {
            EXPECT_NE(text.find("Winprom"), std::string::npos);
            EXPECT_NE(text.find("prominence"), std::string::npos);
        }
        if (name == "CDex.rtf") {
            EXPECT_NE(text.find("Manual for CDex"), std::string::npos);
        }
        if (name == "help.rtf") {
            EXPECT_NE(text.find("About us"), std::string::npos);
        }
    }
    EXPECT_GE(files, 10u);
}

} // namespace
} // namespace tolvane::rtf
