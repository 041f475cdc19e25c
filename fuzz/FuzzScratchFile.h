// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/common/InputFile.h"
#include "core/common/SystemFileOperations.h"
#include "core/stores/AnnotationFile.h"
#include "core/stores/AnnotationStore.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace tolvane::fuzz {

// A folder made once per fuzzing process, in which each input is written to
// the same file before the reader under test opens it.
class FuzzScratchFile {
public:
    explicit FuzzScratchFile(const std::string& name) {
        // Every input is written before it is read: a memory file system
        // keeps the run bound by the reader rather than by the disk (ten
        // times the executions on a loaded machine).
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = tmp && *tmp ? tmp : "/tmp";
        if (!(tmp && *tmp) && ::access("/dev/shm", W_OK) == 0)
            dir = "/dev/shm";
        std::string pattern = dir + "/tolvane-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_dir = pattern + "/";
        m_path = m_dir + name;
    }
    ~FuzzScratchFile() {
        ::unlink(m_path.c_str());
        ::rmdir(m_dir.c_str());
    }
    FuzzScratchFile(const FuzzScratchFile&) = delete;
    FuzzScratchFile& operator=(const FuzzScratchFile&) = delete;

    const std::string& dir() const { return m_dir; }
    const std::string& path() const { return m_path; }

    void write(const uint8_t* data, size_t size) const {
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            std::abort();
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd, data + done, size - done);
            if (n <= 0)
                std::abort();
            done += static_cast<size_t>(n);
        }
        ::close(fd);
    }

private:
    std::string m_dir;
    std::string m_path;
};

// Reads the real files and refuses every write, so the stores' recovery
// paths run without touching the disk.
class NoWriteFileOperations : public SystemFileOperations {
public:
    int appendSynced(const std::string&, uint64_t, std::string_view) override { return EROFS; }
    int replaceAtomically(const std::string&, std::string_view) override { return EROFS; }
    int remove(const std::string&) override { return EROFS; }
};

// The body a record of an annotation index points at must read back whole.
inline void CheckBodyAt(InputFile& input, const AnnotationLocation& record, std::string& text) {
    if (!AnnotationFile::ReadBodyAt(input, record.bodyOffset, text) || text.size() != record.length)
        std::abort();
}

// A store opened on the annotations of the scratch folder ("F") that may
// not write, with articles in and out of range loaded once.
struct ReadOnlyAnnotations {
    NoWriteFileOperations files;
    AnnotationStore store{files};

    explicit ReadOnlyAnnotations(const FuzzScratchFile& file) {
        store.OpenAnnotations(file.dir() + "F");
        for (ArticleNumber article : {-1, 0, 1, 2, 12})
            store.LoadAnnotation(article);
    }
};

} // namespace tolvane::fuzz
