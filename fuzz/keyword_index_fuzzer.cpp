// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/KeywordIndex.h"
#include "core/common/FrenchOrder.h"

#include <cstdlib>
#include <string_view>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    KeywordIndex index;
    const KeywordIndex::ReadStatus status = KeywordIndex::decode(bytes, index);
    // A whole file is the encoding of what it holds, once in French order.
    if (status == KeywordIndex::ReadStatus::Ok) {
        KeywordIndex again;
        if (KeywordIndex::decode(index.encode(), again) != KeywordIndex::ReadStatus::Ok ||
            again.encode() != index.encode())
            std::abort();
    }
    for (size_t k = 0; k + 1 < index.size(); ++k)
        if (french::compare(index[k].keyword, index[k + 1].keyword) > 0)
            std::abort();
    // Type-ahead with pieces of the input never leaves the list.
    for (size_t n = 0; n <= 3 && n <= size; ++n) {
        const KeywordIndex::Found found = index.findPrefix(bytes.substr(size - n));
        if (!index.empty() && found.row >= index.size())
            std::abort();
    }
    return 0;
}
