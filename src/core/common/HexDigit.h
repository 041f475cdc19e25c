// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tolvane {

// The value of a hexadecimal digit of either case, or -1 for any other byte.
constexpr int hexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The lower-case hexadecimal digit of the low four bits of value.
constexpr char hexDigit(unsigned value) {
    return "0123456789abcdef"[value & 15];
}

} // namespace tolvane
