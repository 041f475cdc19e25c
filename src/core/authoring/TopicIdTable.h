// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::authoring {

// Topic ids to topic indexes, compared without regard to case (the
// Windows-1252 case pairs). Every link of a build is looked up here, so the
// table is one flat array probed in place, and the keys are kept upper-cased
// side by side: a look-up touches one slot and a few bytes of keys.
class TopicIdTable {
public:
    // Adds id -> topic unless the id is there already; returns the topic the
    // id stands for and whether it was added.
    std::pair<size_t, bool> emplace(std::string_view id, size_t topic);
    // The topic of id, or -1.
    long find(std::string_view id) const;
    size_t size() const { return m_count; }

    // The hash of an id's upper case, for any table of ids.
    static uint64_t hashOf(std::string_view id);
    // The code page's upper case of every byte, for comparing ids without
    // regard to case.
    static const unsigned char* upperTable();

private:
    struct Slot {
        uint64_t hash = 0;
        size_t keyOffset = 0;
        size_t keyLength = 0;
        size_t topic = SIZE_MAX; // SIZE_MAX: free
    };
    bool keyIs(const Slot& slot, std::string_view id) const;
    void grow();

    std::vector<Slot> m_slots;
    std::string m_keys;
    size_t m_count = 0;
};

} // namespace tolvane::authoring
