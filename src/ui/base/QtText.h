// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/common/Cp1252.h"

#include <QString>

#include <string>
#include <string_view>

namespace tolvane {

// The one place where the core's Windows-1252 text becomes a window's text.
inline QString fromCp1252(std::string_view text) {
    return QString::fromStdU16String(cp1252::toUtf16(text));
}

inline std::string toCp1252(const QString& text) {
    return cp1252::fromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())));
}

} // namespace tolvane
