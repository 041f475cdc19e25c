#include "core/articles/DataSourceWriter.h"
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace tolvane {
namespace {

// Runs the tool through the shell; returns its exit status and output.
int runTool(const std::string& arguments, std::string& output) {
    output.clear();
    FILE* pipe =
        popen((std::string(TOLVANE_TOOL_PATH) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RtfCommandTest, RtfAndArticle_PrintTheDisplayedText) {
    test::TempDir dir;
    const std::string rtf = "{\\rtf1\\ansi Caf\\'e9\\par a\\tab{\\pict 00}\\cell b}";
    test::TempDir::writeFile(dir.file("a.rtf"), rtf);
    DataSourceWriter writer;
    writer.addArticle(7, "Titre", rtf);
    ASSERT_TRUE(writer.write(dir.file("BASE")));

    struct Case {
        std::string arguments;
        int status;
        std::string output;
    };
    const std::string file = dir.file("a.rtf");
    const std::string base = dir.file("BASE");
    const Case cases[] = {
        {"rtf " + file, 0, "Caf\xC3\xA9\na\t\xEF\xBF\xBC\tb"},
        {"rtf --text " + file, 0, "Caf\xC3\xA9\na\t\xEF\xBF\xBC\tb"},
        {"rtf " + file + " --paragraphs", 0, "0\tCaf\xC3\xA9\n6\ta\t\xEF\xBF\xBC\n10\tb\n"},
        {"rtf --count " + file, 0, "11\n"},
        {"rtf --model " + file, 0,
         "P 0-4 par\n  S 0-4 |Caf\xC3\xA9|\nP 6-9 cell row 0 cell 0\n  S 6-8 |a\t|\n"
         "  S 8-9 picture 0\nP 10-11 none\n  S 10-11 |b|\nR 0 depth 1\n"},
        {"rtf --model --count " + file, 2, ""},
        {"rtf --count - < " + file, 0, "11\n"},
        {"rtf " + dir.file("missing.rtf"), 1, ""},
        {"rtf", 2, ""},
        {"rtf --count --text " + file, 2, ""},
        {"rtf --bogus " + file, 2, ""},
        {"article " + base + " 7 --text", 0, "Caf\xC3\xA9\na\t\xEF\xBF\xBC\tb"},
        {"article " + base + " 7 --paragraphs", 0, "0\tCaf\xC3\xA9\n6\ta\t\xEF\xBF\xBC\n10\tb\n"},
        {"article " + base + " 7 --count", 0, "11\n"},
        {"article " + base + " 7 --title", 0, "Titre\n"},
        {"article " + base + " 8 --count", 1, ""},
        {"article " + base + " 7 --count --text", 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string output;
        EXPECT_EQ(runTool(c.arguments, output), c.status);
        EXPECT_EQ(output, c.output);
    }
}

} // namespace
} // namespace tolvane
