// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tolvane::test {

// What a run of the built tolvane-tool gave: its exit status (-1 when it did
// not exit normally) and what it wrote.
struct ShellToolRun {
    int status = -1;
    std::string out;
};

// Runs the built tolvane-tool through the shell with arguments (shell
// syntax: quoting and redirections apply). Keeps its standard output, and
// its error output too, in order, when withErrors is set.
inline ShellToolRun RunToolInShell(const std::string& arguments, bool withErrors = false) {
    ShellToolRun run;
    const std::string command =
        std::string(TOLVANE_TOOL_PATH) + " " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// One case of a table: the tool's arguments, and the exit status and the
// standard output they give.
struct ToolCase {
    std::string arguments;
    int status;
    std::string out;
};

// Runs the tool on each case, prefix before its arguments, and checks both.
inline void ExpectToolCases(const std::vector<ToolCase>& cases, const std::string& prefix = {}) {
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ShellToolRun run = RunToolInShell(prefix + c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
    }
}

} // namespace tolvane::test
