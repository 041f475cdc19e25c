#include "core/common/InputFile.h"
#include "core/rtf/RichTextDump.h"

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

} // namespace
} // namespace tolvane::rtf
