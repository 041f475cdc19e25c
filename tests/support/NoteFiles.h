// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Annotation files written for a test as a run of the viewer leaves them,
// and the state of a file to show that nothing wrote it.

#include "core/common/LittleEndian.h"
#include "core/stores/AnnotationFile.h"
#include "support/TempDir.h"

#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace tolvane::test {

using NoteRecords = std::vector<std::pair<ArticleNumber, std::string>>;

// The bytes of a .NOT holding records, or of a .NO$ (no count) when pending.
inline std::string noteFileBytes(const NoteRecords& records, bool pending = false) {
    std::string bytes;
    if (!pending)
        appendI32LE(bytes, static_cast<int32_t>(records.size()));
    for (const auto& [article, text] : records)
        AnnotationFile::AppendRecord(bytes, article, text);
    return bytes;
}

// A file's bytes and modification time; equal states mean it was not
// written, not even with the same bytes.
struct FileState {
    std::string bytes;
    long long modifiedNs = -1;
    bool operator==(const FileState& o) const {
        return bytes == o.bytes && modifiedNs == o.modifiedNs;
    }
};

inline FileState fileState(const std::string& path) {
    FileState state;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        state.bytes = TempDir::readFile(path);
        state.modifiedNs = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    }
    return state;
}

} // namespace tolvane::test
