// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/ReadingState.h"

#include <cstdlib>

// Whatever a parsed state holds formats to a file that parses back to the
// same state: nothing the reader accepts is lost or changed by the writer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto state = tolvane::ParseReadingState(bytes);
    if (!state)
        return 0;
    const auto again = tolvane::ParseReadingState(tolvane::FormatReadingState(*state));
    if (!again || !(*again == *state))
        std::abort();
    return 0;
}
