// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tolvane {

// 1 is the home article, 0 means no article, numbers <= 0 are refused.
using ArticleNumber = int32_t;

// One 16-byte .PGH record: number, .PGD offset, .PGL offset, link count,
// each a little-endian 32-bit integer.
struct IndexEntry {
    ArticleNumber number = 0;
    uint32_t pgdOffset = 0;
    uint32_t pglOffset = 0;
    uint32_t linkCount = 0;
};

// The title and RTF body of one .PGD record, as Windows-1252 bytes.
struct ArticleRecord {
    std::string title;
    std::string body;
};

// One 16-byte .PGL record. Positions are in the character numbering of the
// displayed article text; both ends belong to the anchor.
struct LinkRecord {
    int32_t first = 0;
    int32_t last = 0;
    ArticleNumber target = 0;
    uint32_t reserved = 0;

    bool contains(int32_t position) const { return first <= position && position <= last; }
};

using ArticleIndex = std::unordered_map<ArticleNumber, IndexEntry>;

constexpr size_t kIndexEntrySize = 16;
constexpr size_t kLinkRecordSize = 16;

// A title that is empty or whose first character is '#' marks a popup article.
inline bool IsPopupTitle(std::string_view title) {
    return title.empty() || title[0] == '#';
}

} // namespace tolvane
