// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/InstanceMessage.h"

#include <cstdlib>

// Every parsed message must encode back to exactly the bytes it came from:
// the format has a single spelling for each message.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto message = tolvane::InstanceMessage::parse(bytes);
    if (message && message->encode() != bytes)
        std::abort();
    return 0;
}
