// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzScratchFile.h"
#include "core/stores/BookmarkFile.h"

#include <cstdlib>
#include <cstring>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::FuzzScratchFile file("F.SIG");
    file.write(data, size);

    const std::vector<BookmarkRow> rows = BookmarkFile::LoadBookmarks(file.path());
    if (rows.empty())
        return 0;
    // The records read are the file's own bytes: writing them back gives
    // the same bytes after the count.
    const std::string bytes = BookmarkFile::Bytes(rows);
    if (bytes.size() > size || std::memcmp(bytes.data() + 4, data + 4, bytes.size() - 4) != 0)
        std::abort();
    return 0;
}
