// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/BookmarkFile.h"

#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"
#include "core/common/PathResolver.h"

#include <cerrno>
#include <cstdint>
#include <limits>

namespace tolvane {

namespace {

const char* const kExtension = ".SIG";
constexpr uint64_t kCountSize = 4;
constexpr uint64_t kRecordHeadSize = 8;

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
    if (whole)
        *whole = file.size() == 0;
    uint32_t rawCount = 0;
    if (!file.readU32At(0, rawCount))
        return rows;
    const int32_t count = static_cast<int32_t>(rawCount);
    uint64_t offset = kCountSize;
    for (int32_t i = 0; i < count; ++i) {
        unsigned char head[kRecordHeadSize];
        if (file.readAt(offset, head, sizeof head) != sizeof head)
            break;
        const int32_t length = loadI32LE(head + 4);
        const uint64_t nameStart = offset + kRecordHeadSize;
        if (length < 0 || nameStart > file.size() ||
            static_cast<uint64_t>(length) > file.size() - nameStart)
            break;
        BookmarkRow row;
        row.article = loadI32LE(head);
        row.name.resize(static_cast<size_t>(length));
        if (file.readAt(nameStart, row.name.data(), row.name.size()) != row.name.size())
            break;
        rows.push_back(std::move(row));
        offset = nameStart + static_cast<uint64_t>(length);
    }
    if (whole)
        *whole = count >= 0 && rows.size() == static_cast<size_t>(count) && offset == file.size();
    return rows;
}

std::string BookmarkFile::Bytes(const std::vector<BookmarkRow>& rows) {
    std::string bytes;
    appendI32LE(bytes, static_cast<int32_t>(rows.size()));
    for (const BookmarkRow& row : rows) {
        appendI32LE(bytes, row.article);
        appendI32LE(bytes, static_cast<int32_t>(row.name.size()));
        bytes += row.name;
    }
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
