// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/TextFinder.h"

#include "core/common/Cp1252.h"

#include <array>
#include <memory>

namespace tolvane::rtf {
namespace {

// toUpper16 for every unit, computed once: the comparison runs per unit.
const std::array<char16_t, 65536>& upperTable() {
    static const std::unique_ptr<std::array<char16_t, 65536>> table = [] {
        auto t = std::make_unique<std::array<char16_t, 65536>>();
        for (uint32_t u = 0; u < 65536; ++u)
            (*t)[u] = cp1252::toUpper16(static_cast<char16_t>(u));
        return t;
    }();
    return *table;
}

// The units that compare equal to `first`: itself and, without matchCase,
// the other case of the same letter.
std::array<char16_t, 2> firstUnits(char16_t first, bool matchCase) {
    std::array<char16_t, 2> units = {first, first};
    if (matchCase)
        return units;
    const auto& upper = upperTable();
    for (int b = 0; b < 256; ++b) {
        const char16_t u = cp1252::toUnicode(static_cast<unsigned char>(b));
        if (u != first && upper[u] == first) {
            units[1] = u;
            break;
        }
    }
    return units;
}

} // namespace

TextFinder::TextFinder(std::u16string_view needle, FindOptions options)
    : m_needle(needle), m_options(options) {
    if (!m_options.matchCase) {
        const auto& upper = upperTable();
        for (char16_t& u : m_needle)
            u = upper[u];
    }
}

int64_t TextFinder::find(std::u16string_view text, size_t from, size_t to) const {
    const size_t n = m_needle.size();
    if (to > text.size())
        to = text.size();
    if (n == 0 || from >= to || to - from < n)
        return -1;
    const auto& upper = upperTable();
    const std::array<char16_t, 2> first = firstUnits(m_needle[0], m_options.matchCase);
    const char16_t a = first[0];
    const char16_t b = first[1];
    const char16_t* data = text.data();
    const char16_t* needle = m_needle.data();
    const size_t last = to - n; // the last start a match can have
    for (size_t i = from; i <= last; ++i) {
        const char16_t c = data[i];
        if (c != a && c != b)
            continue;
        size_t j = 1;
        if (m_options.matchCase) {
            while (j < n && data[i + j] == needle[j])
                ++j;
        } else {
            while (j < n && upper[data[i + j]] == needle[j])
                ++j;
        }
        if (j != n)
            continue;
        if (m_options.wholeWord && ((i > 0 && cp1252::isWordChar16(data[i - 1])) ||
                                    (i + n < text.size() && cp1252::isWordChar16(data[i + n]))))
            continue;
        return static_cast<int64_t>(i);
    }
    return -1;
}

std::vector<size_t> TextFinder::findAll(std::u16string_view text) const {
    std::vector<size_t> starts;
    if (m_needle.empty())
        return starts;
    for (int64_t at = find(text); at >= 0; at = find(text, size_t(at) + m_needle.size()))
        starts.push_back(size_t(at));
    return starts;
}

} // namespace tolvane::rtf
