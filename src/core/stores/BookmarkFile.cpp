// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/BookmarkFile.h"

#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"
#include "core/common/PathResolver.h"
#include "core/stores/AnnotationFile.h"

#include <cerrno>
#include <cstdint>
#include <limits>

namespace tolvane {

namespace {

const char* const kExtension = ".SIG";

} // namespace

std::string BookmarkFile::FileName(const std::string& userBase) {
    return PathResolver::fileOfBase(cp1252::toUtf8(userBase), kExtension);
}

std::vector<BookmarkRow> BookmarkFile::LoadBookmarks(const std::string& path, FileOperations& files,
                                                     bool* whole) {
    std::vector<BookmarkRow> rows;
    if (whole)
        *whole = true;
    InputFile file;
    if (!files.openForReading(path, file))
        return rows;
    // The records are laid out as those of the .NOT file.
    for (const AnnotationLocation& record : AnnotationFile::ReadPermanentIndex(file, whole)) {
        BookmarkRow row;
        row.article = record.article;
        if (!AnnotationFile::ReadBodyAt(file, record.bodyOffset, row.name)) {
            if (whole)
                *whole = false;
            break;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string BookmarkFile::Bytes(const std::vector<BookmarkRow>& rows) {
    std::string bytes;
    appendI32LE(bytes, static_cast<int32_t>(rows.size()));
    for (const BookmarkRow& row : rows)
        AnnotationFile::AppendRecord(bytes, row.article, row.name);
    return bytes;
}

bool BookmarkFile::SaveBookmarks(const std::string& path, const std::vector<BookmarkRow>& rows,
                                 std::string* error, FileOperations& files, bool keepOld) {
    int err = 0;
    constexpr size_t kMax = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    bool fits = rows.size() <= kMax;
    for (const BookmarkRow& row : rows)
        fits = fits && row.name.size() <= kMax;
    if (!fits)
        err = EFBIG;
    else if (keepOld)
        err = files.keepCopy(path);
    if (err == 0)
        err = files.replaceAtomically(path, Bytes(rows));
    if (err != 0 && error)
        *error = FileOperations::saveFailureMessage("les signets", path, err);
    return err == 0;
}

} // namespace tolvane
