// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// What a second start of the program asks the running instance, over the
// per-user local socket named after the instance's class name. One message
// is one line of ASCII:
//
//   "TOLVANE 1 ACTIVATE\n"   bring the window to the front
//   "TOLVANE 1 SHOW <n>\n"   bring it to the front and show article n
//   "TOLVANE 1 CLOSE\n"      close the way the user would
//   "TOLVANE 1 DONE\n"       the running instance's answer once it has acted
//
// "1" is the protocol version. <n> is a decimal 32-bit integer with an
// optional '-' and no leading zeros beyond a single "0". Anything else
// (another version, extra blanks, a missing or second line, a message
// longer than kMaxSize) is not a message.
struct InstanceMessage {
    enum class Command { Activate, Show, Close, Done };

    static constexpr size_t kMaxSize = 32;

    Command command = Command::Activate;
    int32_t article = 0; // Show only

    std::string encode() const;
    // The message that bytes hold exactly, or nothing.
    static std::optional<InstanceMessage> parse(std::string_view bytes);

    bool operator==(const InstanceMessage& o) const {
        return command == o.command && (command != Command::Show || article == o.article);
    }
};

} // namespace tolvane
