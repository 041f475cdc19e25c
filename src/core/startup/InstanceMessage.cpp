// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/InstanceMessage.h"

#include "core/common/DecimalText.h"

namespace tolvane {

namespace {

constexpr std::string_view kPrefix = "TOLVANE 1 ";

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
        const std::optional<int32_t> number = ParseDecimal(rest.substr(5));
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
