// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"

#include "core/articles/DataSourceWriter.h"
#include "core/common/Cp1252.h"

#include <cerrno>
#include <cstdlib>
#include <ostream>
#include <string_view>
#include <vector>

namespace tolvane::tool {

namespace {

std::vector<ToolCommand>& registry() {
    static std::vector<ToolCommand> commands;
    return commands;
}

} // namespace

CommandRegistration::CommandRegistration(const ToolCommand& command) {
    auto& commands = registry();
    auto it = commands.begin();
    while (it != commands.end() && it->order <= command.order)
        ++it;
    commands.insert(it, command);
}

const std::vector<ToolCommand>& Commands() {
    return registry();
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--")
            return false;
        if (a == "--help" || a == "-h")
            return true;
    }
    return false;
}

int UsageError(std::ostream& err, const std::string& command) {
    for (const ToolCommand& c : registry()) {
        if (command == c.name) {
            const std::string_view text(c.usage);
            const size_t blank = text.find("\n\n");
            err << text.substr(0, blank == std::string_view::npos ? text.size() : blank + 1);
        }
    }
    return kUsage;
}

int CannotOpen(std::ostream& err, const char* command, const std::string& path) {
    err << "tolvane-tool " << command << " : impossible d'ouvrir " << path << "\n";
    return kNotFound;
}

std::string DataSourceBaseArgument(const std::string& arg) {
    const std::string key = cp1252::toUpper(cp1252::fromUtf8(arg));
    for (const char* ext : {".PGH", ".PGD", ".PGL", ".FIC"}) {
        if (key.size() > 4 && key.compare(key.size() - 4, 4, ext) == 0)
            return arg.substr(0, arg.size() - 4);
    }
    return arg;
}

int OnDataSource(const std::vector<std::string>& args, std::ostream& err, const char* command,
                 const std::function<int(const DataSourcePaths&)>& run) {
    if (args.size() != 1)
        return UsageError(err, command);
    return run(DataSourcePaths::fromBase(DataSourceBaseArgument(args[0])));
}

std::string UserBaseArgument(const std::string& arg) {
    const std::string key = cp1252::toUpper(cp1252::fromUtf8(arg));
    for (const char* ext : {".NOT", ".NO$", ".SIG"}) {
        if (key.size() > 4 && key.compare(key.size() - 4, 4, ext) == 0)
            return arg.substr(0, arg.size() - 4);
    }
    return arg;
}

int WriteDataSource(const DataSourceWriter& writer, const std::string& baseArgument,
                    const char* command, std::ostream& err) {
    std::string error;
    if (writer.write(DataSourceBaseArgument(baseArgument), &error))
        return kOk;
    err << "tolvane-tool " << command << " : écriture impossible : " << error << "\n";
    return kNotFound;
}

int CountLine(std::ostream& out, const char* what, size_t count) {
    out << what << ": " << count << '\n';
    return kOk;
}

bool ParseInt32(const std::string& text, int32_t& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

} // namespace tolvane::tool
