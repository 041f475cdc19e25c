// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tolvane {
namespace {

using test::TempDir;

// A stand-in viewer: writes its arguments (NUL-terminated each) and then its
// session id into viewer.out beside itself.
const char* const kFakeViewer = "#!/bin/sh\n"
                                "PATH=/usr/bin:/bin\n" // the tool runs with a test PATH
                                "out=\"$(dirname \"$0\")/viewer.out\"\n"
                                "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.tmp\"\n"
                                "cut -d' ' -f6 /proc/$$/stat >> \"$out.tmp\"\n"
                                "mv \"$out.tmp\" \"$out\"\n";

struct ToolRun {
    int status = -1;
    std::string err;
};

// Runs the tool with exactly these arguments in cwd, with PATH set to path.
// Its error output is a pipe, which the viewer it starts inherits: the pipe
// ends once the tool and any viewer have exited, so when this returns, a
// viewer that was started has written its record and none will come later.
ToolRun runTool(const std::string& tool, const std::vector<std::string>& args,
                const std::string& cwd, const std::string& path) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (::dup2(fds[1], 2) < 0 || ::chdir(cwd.c_str()) != 0)
            ::_exit(127);
        ::close(fds[1]);
        ::setenv("PATH", path.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(tool.c_str()), const_cast<char*>("open")};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(tool.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    ToolRun run;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            run.err.append(buffer, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The arguments the fake viewer recorded, and its session id last (false
// when no viewer ran since the last call).
bool viewerRecord(const std::string& file, std::vector<std::string>& args, pid_t& session) {
    if (!std::filesystem::exists(file))
        return false;
    const std::string data = TempDir::readFile(file);
    std::filesystem::remove(file);
    args.clear();
    size_t pos = 0;
    for (size_t nul; (nul = data.find('\0', pos)) != std::string::npos; pos = nul + 1)
        args.push_back(data.substr(pos, nul - pos));
    session = static_cast<pid_t>(std::stol(data.substr(pos)));
    return true;
}

void writeExecutable(const std::string& path, const std::string& text) {
    TempDir::writeFile(path, text);
    ::chmod(path.c_str(), 0755);
}

class OpenCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* d : {"bin", "other", "empty", "aides", "aides/Mes étés"})
            ::mkdir(m_dir.file(d).c_str(), 0755);
        m_tool = m_dir.file("bin/tolvane-tool");
        std::filesystem::copy_file(TOLVANE_TOOL_PATH, m_tool);
        ::chmod(m_tool.c_str(), 0755);
        char* real = ::realpath(m_dir.path().c_str(), nullptr);
        m_real = real;
        std::free(real);
        TempDir::writeFile(m_dir.file("aides/Mes étés/Guide d'été.PGD"), "");
        TempDir::writeFile(m_dir.file("aides/notes.pgd"), "");
        TempDir::writeFile(m_dir.file("aides/notes.txt"), "");
    }
    ToolRun open(const std::vector<std::string>& args, const std::string& cwd = "/") {
        return runTool(m_tool, args, cwd, m_dir.file("empty"));
    }
    TempDir m_dir;
    std::string m_tool;
    std::string m_real;
};

TEST_F(OpenCommandTest, StartsTheViewerBesideTheToolDetachedWithTheExactArguments) {
    writeExecutable(m_dir.file("bin/tolvane"), kFakeViewer);
    const std::string out = m_dir.file("bin/viewer.out");
    const std::string guide = "aides/Mes étés/Guide d'été";
    struct Case {
        std::vector<std::string> args;
        std::string cwd;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{m_dir.file(guide + ".PGD")}, "/", {"/D:" + m_real + "/" + guide}},
        {{"notes.pgd"}, m_dir.file("aides"), {"/D:" + m_real + "/aides/notes"}},
        {{"../aides/./notes.pgd"}, m_dir.file("bin"), {"/D:" + m_real + "/aides/notes"}},
        {{}, "/", {}}, // the menu entry without a file: the viewer alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        const ToolRun run = open(c.args, c.cwd);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        std::vector<std::string> args;
        pid_t session = 0;
        ASSERT_TRUE(viewerRecord(out, args, session));
        EXPECT_EQ(args, c.expected);
        // A session of its own: closing the terminal does not close it.
        EXPECT_NE(session, ::getsid(0));
        EXPECT_GT(session, 0);
    }
}

TEST_F(OpenCommandTest, FindsTheViewerOnThePathWhenNoneIsBesideTheTool) {
    writeExecutable(m_dir.file("other/tolvane"), kFakeViewer);
    const ToolRun run = runTool(m_tool, {m_dir.file("aides/notes.pgd")}, "/",
                                m_dir.file("empty") + ":" + m_dir.file("other"));
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> args;
    pid_t session = 0;
    ASSERT_TRUE(viewerRecord(m_dir.file("other/viewer.out"), args, session));
    EXPECT_EQ(args, std::vector<std::string>{"/D:" + m_real + "/aides/notes"});
}

TEST_F(OpenCommandTest, RefusesWhatItCannotOpenWithoutStartingAnything) {
    writeExecutable(m_dir.file("bin/tolvane"), kFakeViewer);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{m_dir.file("aides/absent.PGD")}, 1, "est introuvable"},
        {{m_dir.file("aides/notes.txt")}, 2, "n'est pas un fichier .PGD"},
        {{m_dir.file("aides/notes.txt")}, 2, "Usage : tolvane-tool open"},
        {{m_dir.file("aides/notes.pgd"), "x.pgd"}, 2, "Usage : tolvane-tool open"},
        {{"--bogus"}, 2, "Usage : tolvane-tool open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const ToolRun run = open(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(m_dir.file("bin/viewer.out")));
    }

    // No viewer beside the tool nor on the path.
    std::filesystem::remove(m_dir.file("bin/tolvane"));
    const ToolRun run = open({m_dir.file("aides/notes.pgd")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("visionneuse tolvane introuvable"), std::string::npos) << run.err;
}

} // namespace
} // namespace tolvane
