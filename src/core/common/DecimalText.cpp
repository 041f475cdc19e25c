// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/DecimalText.h"

#include <limits>

namespace tolvane {

std::optional<int32_t> ParseDecimal(std::string_view digits) {
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

} // namespace tolvane
