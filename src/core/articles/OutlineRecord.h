// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

#include <cstdint>
#include <string>

namespace tolvane {

// One 116-byte record of the .FIC outline file:
//
//   offset  width  field
//        0     12  nodeKey       NUL-terminated Windows-1252 text
//       12     80  title         NUL-terminated; empty marks the end record
//       92     12  referenceKey  "0" = top level, else an earlier nodeKey
//      104      4  article       i32; 0 = folder heading
//      108      4  reserved      not read
//      112      4  placement     i32; 2 = beside the reference node, else under it
struct OutlineRecord {
    static constexpr size_t kSize = 116;
    static constexpr size_t kKeyOffset = 0, kKeyWidth = 12;
    static constexpr size_t kTitleOffset = 12, kTitleWidth = 80;
    static constexpr size_t kReferenceOffset = 92, kReferenceWidth = 12;
    static constexpr size_t kArticleOffset = 104;
    static constexpr size_t kReservedOffset = 108;
    static constexpr size_t kPlacementOffset = 112;
    static constexpr int32_t kPlacementBeside = 2;

    std::string nodeKey;
    std::string title;
    std::string referenceKey = "0";
    ArticleNumber article = 0;
    int32_t placement = 0;
    uint32_t reserved = 0;

    // The record's 116 bytes; texts longer than their field lose their tail
    // (a text filling its field exactly has no NUL).
    std::string encode() const;
    // Decodes 116 bytes; a text without NUL runs to the end of its field.
    static OutlineRecord decode(const unsigned char* bytes);
};

} // namespace tolvane
