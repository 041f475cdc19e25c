// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/TopicIdTable.h"

#include "core/common/Cp1252.h"

#include <array>

namespace tolvane::authoring {

const unsigned char* TopicIdTable::upperTable() {
    static const auto table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = cp1252::toUpper(static_cast<unsigned char>(b));
        return t;
    }();
    return table.data();
}

uint64_t TopicIdTable::hashOf(std::string_view id) {
    const unsigned char* upper = upperTable();
    uint64_t h = 14695981039346656037ull;
    for (char c : id)
        h = (h ^ upper[static_cast<unsigned char>(c)]) * 1099511628211ull;
    // The low bits pick the slot: fold the better mixed high bits into them.
    return h ^ (h >> 29);
}

bool TopicIdTable::keyIs(const Slot& slot, std::string_view id) const {
    if (slot.keyLength != id.size())
        return false;
    const unsigned char* upper = upperTable();
    const char* key = m_keys.data() + slot.keyOffset;
    for (size_t k = 0; k < id.size(); ++k)
        if (static_cast<char>(upper[static_cast<unsigned char>(id[k])]) != key[k])
            return false;
    return true;
}

void TopicIdTable::grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    const size_t mask = m_slots.size() - 1;
    for (const Slot& s : old) {
        if (s.topic == SIZE_MAX)
            continue;
        size_t at = static_cast<size_t>(s.hash) & mask;
        while (m_slots[at].topic != SIZE_MAX)
            at = (at + 1) & mask;
        m_slots[at] = s;
    }
}

std::pair<size_t, bool> TopicIdTable::emplace(std::string_view id, size_t topic) {
    if ((m_count + 1) * 2 > m_slots.size())
        grow();
    const uint64_t hash = hashOf(id);
    const size_t mask = m_slots.size() - 1;
    size_t at = static_cast<size_t>(hash) & mask;
    for (;; at = (at + 1) & mask) {
        Slot& s = m_slots[at];
        if (s.topic == SIZE_MAX)
            break;
        if (s.hash == hash && keyIs(s, id))
            return {s.topic, false};
    }
    Slot& s = m_slots[at];
    s.hash = hash;
    s.keyOffset = m_keys.size();
    s.keyLength = id.size();
    s.topic = topic;
    m_keys += cp1252::toUpper(id);
    ++m_count;
    return {topic, true};
}

long TopicIdTable::find(std::string_view id) const {
    if (m_slots.empty())
        return -1;
    const uint64_t hash = hashOf(id);
    const size_t mask = m_slots.size() - 1;
    for (size_t at = static_cast<size_t>(hash) & mask;; at = (at + 1) & mask) {
        const Slot& s = m_slots[at];
        if (s.topic == SIZE_MAX)
            return -1;
        if (s.hash == hash && keyIs(s, id))
            return static_cast<long>(s.topic);
    }
}

} // namespace tolvane::authoring
