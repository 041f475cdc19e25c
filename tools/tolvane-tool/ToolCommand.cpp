#include "ToolCommand.h"

#include "core/common/Cp1252.h"

#include <cerrno>
#include <cstdlib>
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

std::string DataSourceBaseArgument(const std::string& arg) {
    const std::string key = cp1252::toUpper(cp1252::fromUtf8(arg));
    for (const char* ext : {".PGH", ".PGD", ".PGL", ".FIC"}) {
        if (key.size() > 4 && key.compare(key.size() - 4, 4, ext) == 0)
            return arg.substr(0, arg.size() - 4);
    }
    return arg;
}

std::string UserBaseArgument(const std::string& arg) {
    const std::string key = cp1252::toUpper(cp1252::fromUtf8(arg));
    for (const char* ext : {".NOT", ".NO$", ".SIG"}) {
        if (key.size() > 4 && key.compare(key.size() - 4, 4, ext) == 0)
            return arg.substr(0, arg.size() - 4);
    }
    return arg;
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
