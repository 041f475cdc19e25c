// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/AnnotationFile.h"

#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"

namespace tolvane {

namespace {

// Reads the record at offset; false when it is not whole.
bool readRecordAt(const InputFile& file, uint64_t offset, AnnotationLocation& location) {
    unsigned char head[AnnotationFile::kArticleSize + AnnotationFile::kLengthSize];
    if (file.readAt(offset, head, sizeof head) != sizeof head)
        return false;
    const int32_t length = loadI32LE(head + AnnotationFile::kArticleSize);
    const uint64_t textStart = offset + sizeof head;
    if (length < 0 || textStart > file.size() ||
        static_cast<uint64_t>(length) > file.size() - textStart)
        return false;
    location.article = loadI32LE(head);
    location.bodyOffset = offset + AnnotationFile::kArticleSize;
    location.length = static_cast<uint32_t>(length);
    return true;
}

uint64_t recordEnd(const AnnotationLocation& location) {
    return location.bodyOffset + AnnotationFile::kLengthSize + location.length;
}

} // namespace

std::vector<AnnotationLocation> AnnotationFile::ReadPermanentIndex(const InputFile& file,
                                                                   bool* whole) {
    std::vector<AnnotationLocation> records;
    if (whole)
        *whole = file.size() == 0;
    uint32_t rawCount = 0;
    if (!file.readU32At(0, rawCount))
        return records;
    const int32_t count = static_cast<int32_t>(rawCount);
    uint64_t offset = kCountSize;
    AnnotationLocation location;
    for (int32_t i = 0; i < count && readRecordAt(file, offset, location); ++i) {
        records.push_back(location);
        offset = recordEnd(location);
    }
    if (whole)
        *whole =
            count >= 0 && records.size() == static_cast<size_t>(count) && offset == file.size();
    return records;
}

std::vector<AnnotationLocation> AnnotationFile::ReadPendingIndex(const InputFile& file,
                                                                 uint64_t* validEnd) {
    std::vector<AnnotationLocation> records;
    uint64_t offset = 0;
    AnnotationLocation location;
    while (readRecordAt(file, offset, location)) {
        records.push_back(location);
        offset = recordEnd(location);
    }
    if (validEnd)
        *validEnd = offset;
    return records;
}

bool AnnotationFile::ReadBodyAt(const InputFile& file, uint64_t offset, std::string& text) {
    text.clear();
    uint32_t rawLength = 0;
    if (!file.readU32At(offset, rawLength))
        return false;
    const int32_t length = static_cast<int32_t>(rawLength);
    if (length < 0 || offset + kLengthSize > file.size() ||
        static_cast<uint64_t>(length) > file.size() - offset - kLengthSize)
        return false;
    text.resize(static_cast<size_t>(length));
    if (file.readAt(offset + kLengthSize, text.data(), text.size()) != text.size()) {
        text.clear();
        return false;
    }
    return true;
}

void AnnotationFile::AppendRecord(std::string& out, ArticleNumber article, std::string_view text) {
    appendI32LE(out, article);
    appendI32LE(out, static_cast<int32_t>(text.size()));
    out.append(text);
}

} // namespace tolvane
