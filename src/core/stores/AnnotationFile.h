// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class InputFile;

// Where one annotation text lies in its file: the offset of its body (the
// length field) and the text's length.
struct AnnotationLocation {
    ArticleNumber article = 0;
    uint64_t bodyOffset = 0;
    uint32_t length = 0;
};

// The two annotation files of a user base. Integers are 32-bit signed
// little-endian; texts are Windows-1252 bytes with CR LF line breaks and no
// terminator.
//
//   body   length L (i32) at +0, L bytes of text at +4.
//   .NOT   count (i32) at 0, then count records one after the other, each
//          the article number (i32) followed by a body. The program writes
//          at most one record per article and no empty text.
//   .NO$   no header: records (article i32, then a body) appended during a
//          run, several possibly for one article; the last one counts. Only
//          the program reads it, at the next start after a run that did not
//          close normally.
//
// Readers keep the records read whole and stop at the first one that is
// not: a negative count reads none, a count larger than the records present
// stops at the end of the file, and a negative length or a body running past
// the end ends the reading before that record.
class AnnotationFile {
public:
    static constexpr uint64_t kCountSize = 4;
    static constexpr uint64_t kArticleSize = 4;
    static constexpr uint64_t kLengthSize = 4;

    // The records of a .NOT file, in file order. *whole (when given) says
    // whether they are all the file holds: its count, then exactly that
    // many records and nothing after them.
    static std::vector<AnnotationLocation> ReadPermanentIndex(const InputFile& file,
                                                              bool* whole = nullptr);
    // The whole records of a .NO$ file, in file order; *validEnd (when given)
    // is the offset just after the last of them.
    static std::vector<AnnotationLocation> ReadPendingIndex(const InputFile& file,
                                                            uint64_t* validEnd = nullptr);
    // The text of the body at offset; false (and an empty text) when the
    // body is not whole.
    static bool ReadBodyAt(const InputFile& file, uint64_t offset, std::string& text);

    // Appends one record (article, length, text) to out.
    static void AppendRecord(std::string& out, ArticleNumber article, std::string_view text);
};

} // namespace tolvane
