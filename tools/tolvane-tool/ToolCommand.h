// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/DataSourcePaths.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace tolvane {
class DataSourceWriter;
}

namespace tolvane::tool {

// Exit statuses shared by every subcommand.
enum ExitStatus { kOk = 0, kNotFound = 1, kUsage = 2 };

struct ToolCommand {
    int order; // place in the `tolvane-tool --help` listing
    const char* name;
    const char* summary;
    const char* usage; // the full --help text
    int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

// Every subcommand, in listing order.
const std::vector<ToolCommand>& Commands();

// Each subcommand lives in its own *Command.cpp and registers itself with a
// file-scope object:  static const CommandRegistration reg{{10, "index", ...}};
struct CommandRegistration {
    explicit CommandRegistration(const ToolCommand& command);
};

// Helpers for the subcommands.
bool WantsHelp(const std::vector<std::string>& args);
// Writes the synopsis of the named subcommand's usage text (the text up to
// its first blank line) to err; returns kUsage.
int UsageError(std::ostream& err, const std::string& command);
// Says on err that the subcommand could not open path; returns kNotFound.
int CannotOpen(std::ostream& err, const char* command, const std::string& path);
// A data-source base given on the command line (a base, or a file of it
// with one of the four extensions), as a native path.
std::string DataSourceBaseArgument(const std::string& arg);
// Runs a subcommand whose only argument is a data source on its files; the
// usage synopsis (kUsage) when there is not exactly one argument.
int OnDataSource(const std::vector<std::string>& args, std::ostream& err, const char* command,
                 const std::function<int(const DataSourcePaths&)>& run);
// A user-file base given on the command line (a base, or its .NOT, .NO$ or
// .SIG file), as a native path.
std::string UserBaseArgument(const std::string& arg);
// Writes the data source of writer at the base given on the command line;
// on failure says why on err. kOk, or kNotFound when it cannot be written.
int WriteDataSource(const DataSourceWriter& writer, const std::string& baseArgument,
                    const char* command, std::ostream& err);
// Writes the last line of a listing, "what: count"; returns kOk.
int CountLine(std::ostream& out, const char* what, size_t count);
// Parses a whole decimal 32-bit integer; false for anything else.
bool ParseInt32(const std::string& text, int32_t& value);

} // namespace tolvane::tool
