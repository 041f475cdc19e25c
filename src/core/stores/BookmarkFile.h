// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/common/FileOperations.h"

#include <string>
#include <vector>

namespace tolvane {

// One bookmark: a name (Windows-1252, any length, possibly empty, not
// necessarily unique) given to an article.
struct BookmarkRow {
    std::string name;
    ArticleNumber article = 0;

    bool operator==(const BookmarkRow& other) const {
        return name == other.name && article == other.article;
    }
};

// The bookmark file base.SIG. Integers are 32-bit signed little-endian:
//
//   0        count
//   4        count records, one after the other, each:
//              +0  article number
//              +4  L, the byte length of the name
//              +8  L bytes of name, Windows-1252, no terminator
//
// Nothing follows the last record; no bookmarks is a 4-byte file holding 0.
// The records are in the order of the rows given to SaveBookmarks (the
// bookmarks window's sorted order); this class neither sorts nor merges.
class BookmarkFile {
public:
    // The native path of the .SIG file of userBase (Windows-1252, without
    // extension), found case-insensitively.
    static std::string FileName(const std::string& userBase);

    // The rows of the file at path, in file order. A missing or unreadable
    // file, or a count <= 0, gives none; a negative length or a record cut
    // by the end of the file ends the reading, keeping the records before it.
    // *whole (when given) says whether the rows are all the file holds: its
    // count, exactly that many records and nothing after them (an absent
    // file is whole).
    static std::vector<BookmarkRow> LoadBookmarks(const std::string& path,
                                                  FileOperations& files = FileOperations::system(),
                                                  bool* whole = nullptr);

    // The exact bytes of a file holding rows.
    static std::string Bytes(const std::vector<BookmarkRow>& rows);

    // Replaces the file at path with rows, through a temporary file renamed
    // over it, so a failure leaves the old file whole. On failure *error says,
    // in French (Windows-1252), which file could not be written and why.
    // With keepOld, the old file is first copied aside (FileOperations::
    // keepCopy): a damaged file's unread bytes are not lost.
    static bool SaveBookmarks(const std::string& path, const std::vector<BookmarkRow>& rows,
                              std::string* error = nullptr,
                              FileOperations& files = FileOperations::system(),
                              bool keepOld = false);
};

} // namespace tolvane
