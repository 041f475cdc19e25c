// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceWriter.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolvane {
namespace {

using test::TempDir;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the built tolvane-tool with args; stdout and stderr are kept apart.
ToolRun tool(const std::vector<std::string>& args) {
    TempDir io;
    const std::string outPath = io.file("out"), errPath = io.file("err");
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(TOLVANE_TOOL_PATH)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TOLVANE_TOOL_PATH, argv.data());
        ::_exit(127);
    }
    ToolRun run;
    int wstatus = 0;
    if (pid > 0 && ::waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    run.out = TempDir::readFile(outPath);
    run.err = TempDir::readFile(errPath);
    return run;
}

std::string asciiUpper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string classNameOf(const std::string& value) {
    std::string q = "AAAAAAAAAA";
    for (const char c : value) {
        if (std::isalpha(static_cast<unsigned char>(c)))
            q += c;
    }
    return q.substr(q.size() - 10);
}

std::string startupLines(const std::string& dataSource, const std::string& userBase,
                         const std::string& className, const std::string& title,
                         const std::string& start, bool close, bool missing) {
    return "data_source=" + dataSource + "\nuser_base=" + userBase + "\nclass_name=" + className +
           "\ntitle=" + title + "\nstart_article=" + start +
           "\nclose_running=" + (close ? "yes" : "no") + "\nmissing=" + (missing ? "yes" : "no") +
           "\n";
}

const std::string kMissing = "Impossible de trouver une source de données !\n";

class TolvaneToolTest : public ::testing::Test {
protected:
    // Guide.* in a folder: article 1 with links, a popup 7 with a
    // Windows-1252 title and a body with raw bytes, article 2, a duplicate
    // entry for 1 and a final .PGH fragment.
    void SetUp() override {
        DataSourceWriter w;
        w.addArticle(1, "Accueil", "{\\rtf1 Bienvenue \\'e9t\\'e9}",
                     {{0, 8, 7, 0}, {-1, 3, 2, 0xFFFFFFFFu}});
        w.addArticle(7, "#POPUP:\xC9t\xE9", std::string("{\\rtf1 \xE9\0x}", 10));
        w.addArticle(2, "Deux", "{}");
        w.addRawIndexEntry({1, 0, 0, 2});
        ASSERT_TRUE(w.write(m_dir.file("Guide")));
        const std::string pgh = TempDir::readFile(m_dir.file("Guide.PGH"));
        TempDir::writeFile(m_dir.file("Guide.PGH"), pgh + "\x01\x02\x03");
        m_base = m_dir.file("Guide");
    }
    TempDir m_dir;
    std::string m_base;
};

TEST_F(TolvaneToolTest, StartupPrintsTheSevenKeysInOrder) {
    const std::string exe = m_dir.file("visio");
    const std::string upperBase = asciiUpper(m_dir.path()) + "/GUIDE";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {"bare start",
         {"startup", "--exe", exe},
         0,
         startupLines(m_base, m_base, "Mirovale0110", "Aide", "none", false, false)},
        {"switches",
         {"startup", "--exe", exe, "--", "/p:12", "-F", "/N:été_Salde", "/A:/x/y"},
         0,
         startupLines(m_base, "/X/Y", "Mirovale0110", "ÉTÉ SALDE", "12", true, false)},
        {"/D resolved on disk without regard to case",
         {"startup", "--exe", "/nonexistent/visio", "/D:" + upperBase},
         0,
         startupLines(m_base, m_base, classNameOf(upperBase), "Aide", "none", false, false)},
        {"an absolute path is a plain word",
         {"startup", "--exe", exe, "--", "/nonexistent/DAVRO"},
         0,
         startupLines(m_base, m_base, "Mirovale0110", "Aide", "none", false, false)},
        {"nothing found",
         {"startup", "--exe", "/nonexistent/visio"},
         1,
         startupLines("", "", "Mirovale0110", "Aide", "none", false, true)},
        {"/F with a missing data source",
         {"startup", "--exe", "/nonexistent/visio", "--", "/F", "/D:/nonexistent/eluna"},
         1,
         startupLines("/NONEXISTENT/ELUNA", "/NONEXISTENT/ELUNA", "STENTELUNA", "Aide Davro/Eluna",
                      "none", true, true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.status == 1 ? kMissing : "");
    }
}

TEST_F(TolvaneToolTest, StartupFindsTheSampleBesideTheTool) {
    const ToolRun r = tool({"startup"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "data_source=" + std::string(TOLVANE_BINARY_DIR) + "/GUIDE");
}

TEST_F(TolvaneToolTest, IndexListsEveryEntryInFileOrder) {
    const std::string expected = "1 0 0 2\n"
                                 "7 42 32 0\n"
                                 "2 70 32 0\n"
                                 "1 0 0 2\n"
                                 "articles: 3\n";
    for (const std::string& base :
         {m_base, m_base + ".pgh", m_base + ".PGD", asciiUpper(m_dir.path()) + "/GUIDE",
          m_dir.path() + "/guide.Fic"}) {
        SCOPED_TRACE(base);
        const ToolRun r = tool({"index", base});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, expected);
        EXPECT_EQ(r.err, "");
    }
    EXPECT_EQ(tool({"index", m_dir.file("absent")}).status, 1);
    EXPECT_EQ(tool({"index"}).status, 2);
    EXPECT_EQ(tool({"index", m_base, m_base}).status, 2);
}

TEST_F(TolvaneToolTest, ArticlePrintsTitleBodyOrLinks) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    };
    const std::string upper = asciiUpper(m_dir.path()) + "/GUIDE.PGD";
    const Case cases[] = {
        {{"article", m_base, "1", "--title"}, 0, "Accueil\n", ""},
        {{"article", "--title", upper, "7"}, 0, "#POPUP:Été\n", ""},
        {{"article", m_base, "7", "--rtf"}, 0, std::string("{\\rtf1 \xE9\0x}", 10), ""},
        {{"article", m_base, "1", "--links"}, 0, "0 8 7 0\n-1 3 2 4294967295\n", ""},
        {{"article", m_base, "2", "--links"}, 0, "", ""},
        {{"article", m_base, "99", "--title"}, 1, "", "Cet article n'existe pas ! (ER99)\n"},
        {{"article", m_dir.file("absent"), "1", "--rtf"},
         1,
         "",
         "Cet article n'existe pas ! (ER1)\n"},
        {{"article", m_base, "0", "--title"}, 1, "", ""},
        {{"article", m_base, "-3", "--links"}, 1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args[2] + " " + c.args[3]);
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(TolvaneToolTest, GenerateIsDeterministic) {
    TempDir out;
    const std::vector<std::string> args = {"--articles", "40", "--seed", "5"};
    for (const char* name : {"A", "B"}) {
        std::vector<std::string> full{"generate", out.file(name)};
        full.insert(full.end(), args.begin(), args.end());
        const ToolRun r = tool(full);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "articles: 40\n");
    }
    EXPECT_EQ(tool({"generate", out.file("C"), "--articles", "40", "--seed", "6"}).status, 0);
    for (const char* ext : {".PGH", ".PGD", ".PGL", ".FIC"}) {
        const std::string a = TempDir::readFile(out.file(std::string("A") + ext));
        EXPECT_FALSE(a.empty()) << ext;
        EXPECT_EQ(a, TempDir::readFile(out.file(std::string("B") + ext))) << ext;
    }
    EXPECT_NE(TempDir::readFile(out.file("A.PGD")), TempDir::readFile(out.file("C.PGD")));
    const ToolRun index = tool({"index", out.file("a")});
    EXPECT_EQ(index.status, 0);
    EXPECT_NE(index.out.find("\narticles: 40\n"), std::string::npos);

    EXPECT_EQ(tool({"generate", out.file("absent/G"), "--articles", "3"}).status, 1);
}

TEST_F(TolvaneToolTest, BadUsageExitsWith2AndHelpWith0) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"nosuchcommand"},
        {"startup", "--exe"},
        {"startup", "--bogus"},
        {"index"},
        {"article", m_base, "1"},
        {"article", m_base, "x", "--title"},
        {"article", m_base, "1", "--title", "--rtf"},
        {"article", m_base, "1", "--pdf"},
        {"article", m_base, "99999999999", "--title"},
        {"generate"},
        {"generate", "/tmp/x"},
        {"generate", "/tmp/x", "--articles", "0"},
        {"generate", "/tmp/x", "--articles", "abc"},
        {"generate", "/tmp/x", "--articles"},
        {"generate", "/tmp/x", "--articles", "3", "--seed", "-1"},
        {"generate", "/tmp/x", "/tmp/y", "--articles", "3"},
    };
    for (const auto& args : bad) {
        std::string line;
        for (const std::string& a : args)
            line += a + " ";
        const ToolRun r = tool(args);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_FALSE(r.err.empty()) << line;
    }
    // Every subcommand the overview lists, those of later issues included,
    // answers --help with its usage and status 0.
    const ToolRun overview = tool({"--help"});
    EXPECT_EQ(overview.status, 0);
    std::vector<std::string> commands;
    const size_t list = overview.out.find("Commandes :\n");
    ASSERT_NE(list, std::string::npos);
    for (size_t at = list + 12; at < overview.out.size() && overview.out.compare(at, 2, "  ") == 0;
         at = overview.out.find('\n', at) + 1) {
        const size_t end = overview.out.find(' ', at + 2);
        commands.push_back(overview.out.substr(at + 2, end - at - 2));
    }
    for (const char* required : {"startup", "index", "article", "generate"})
        EXPECT_NE(std::find(commands.begin(), commands.end(), required), commands.end());
    for (const std::string& command : commands) {
        const ToolRun r = tool({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_NE(r.out.find("Usage"), std::string::npos) << command;
        EXPECT_EQ(r.err, "") << command;
    }
}

} // namespace
} // namespace tolvane
