#include "SearchFixture.h"

#include <cstdio>
#include <sys/wait.h>

namespace tolvane::test {
namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

ToolRun runTool(const std::string& arguments) {
    ToolRun run;
    const std::string command =
        std::string(TOLVANE_TOOL_PATH) + " search " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int wait = ::pclose(pipe);
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    return run;
}

TEST(SearchCommand, PrintsMatchesInUtf8AndExitsByOutcome) {
    TempDir dir;
    DataSourceWriter w;
    w.addArticle(2,
                 "\xC9"
                 "cole primaire",
                 rtfBody("La classe"));
    w.addArticle(3, "Transport", rtfBody("Le port"));
    w.addArticle(4, "#POPUP:port", rtfBody("port"));
    ASSERT_TRUE(w.write(dir.file("AIDE")));
    const std::string base = "'" + dir.file("aide.pgd") + "'";

    const struct {
        std::string arguments;
        int status;
        std::string out;
    } cases[] = {
        {base + " '\xC3\xA9"
                "COLE'",
         0,
         "2 \xC3\x89"
         "cole primaire\nfound: 1\n"},
        {base + " '\xC3\xA9"
                "COLE' --case",
         1, "found: 0\n"},
        {base + " port --no-text", 0, "3 Transport\nfound: 1\n"},
        {base + " trans --word --no-title", 1, "found: 0\n"},
        {base + " classe --no-title --word", 0,
         "2 \xC3\x89"
         "cole primaire\nfound: 1\n"},
        {base + " absent", 1, "found: 0\n"},
        {base + " port --no-title --no-text", 2, ""},
        {base + " ''", 2, ""},
        {base + " '\xE2\x82\xAC\xE2\x88\x9E'", 2, ""}, // the infinity sign has no Windows-1252 byte
        {base + " port --regex", 2, ""},
        {base, 2, ""},
        {"'" + dir.file("ABSENT") + "' port", 1, ""},
    };
    for (const auto& c : cases) {
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_EQ(run.out, c.out) << c.arguments;
    }
}

} // namespace
} // namespace tolvane::test
