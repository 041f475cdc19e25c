#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tolvane::tool {

// Exit statuses shared by every subcommand.
enum ExitStatus { kOk = 0, kNotFound = 1, kUsage = 2 };

struct ToolCommand {
    const char* name;
    const char* summary;
    const char* usage; // the full --help text
    int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

// Every subcommand, in the order `tolvane-tool --help` lists them.
const std::vector<ToolCommand>& Commands();

// Each subcommand's entry point, defined in its own file.
int RunStartup(const std::vector<std::string>&, std::ostream&, std::ostream&);
int RunIndex(const std::vector<std::string>&, std::ostream&, std::ostream&);
int RunArticle(const std::vector<std::string>&, std::ostream&, std::ostream&);
int RunGenerate(const std::vector<std::string>&, std::ostream&, std::ostream&);

// Helpers for the subcommands.
bool WantsHelp(const std::vector<std::string>& args);
// A data-source base given on the command line (a base, or a file of it
// with one of the four extensions), as a native path.
std::string DataSourceBaseArgument(const std::string& arg);
// Parses a whole decimal 32-bit integer; false for anything else.
bool ParseInt32(const std::string& text, int32_t& value);

} // namespace tolvane::tool
