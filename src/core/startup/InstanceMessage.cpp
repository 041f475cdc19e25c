// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/InstanceMessage.h"

#include <limits>

namespace tolvane {

namespace {

constexpr std::string_view kPrefix = "TOLVANE 1 ";

std::optional<int32_t> parseNumber(std::string_view digits) {
    bool negative = false;
    if (!digits.empty() && digits.front() == '-') {
        negative = true;
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    if (negative && value == 0)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

} // namespace

std::string InstanceMessage::encode() const {
    std::string out(kPrefix);
    switch (command) {
    case Command::Activate:
        out += "ACTIVATE";
        break;
    case Command::Show:
        out += "SHOW " + std::to_string(article);
        break;
    case Command::Close:
        out += "CLOSE";
        break;
    case Command::Done:
        out += "DONE";
        break;
    }
    out += '\n';
    return out;
}

std::optional<InstanceMessage> InstanceMessage::parse(std::string_view bytes) {
    if (bytes.size() > kMaxSize || bytes.size() < kPrefix.size() + 1 || bytes.back() != '\n' ||
        bytes.substr(0, kPrefix.size()) != kPrefix)
        return std::nullopt;
    std::string_view rest = bytes.substr(kPrefix.size(), bytes.size() - kPrefix.size() - 1);
    InstanceMessage message;
    if (rest == "ACTIVATE") {
        message.command = Command::Activate;
    } else if (rest == "CLOSE") {
        message.command = Command::Close;
    } else if (rest == "DONE") {
        message.command = Command::Done;
    } else if (rest.substr(0, 5) == "SHOW ") {
        const std::optional<int32_t> number = parseNumber(rest.substr(5));
        if (!number)
            return std::nullopt;
        message.command = Command::Show;
        message.article = *number;
    } else {
        return std::nullopt;
    }
    return message;
}

} // namespace tolvane
