#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

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

} // namespace tolvane::test
