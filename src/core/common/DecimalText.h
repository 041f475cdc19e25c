// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tolvane {

// A signed 32-bit number in the one spelling the program's own text files
// and messages write it: an optional '-', then digits without a leading
// zero ("0" alone; never "-0"). Nothing for any other text or a value past
// 32 bits.
std::optional<int32_t> ParseDecimal(std::string_view text);

} // namespace tolvane
