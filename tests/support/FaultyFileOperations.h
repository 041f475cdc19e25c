// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/common/SystemFileOperations.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace tolvane::test {

// Real file operations that can be told to fail like a full disk or a bad
// sector: an append that stops after a number of bytes, a replacement that
// never reaches its target.
class FaultyFileOperations : public SystemFileOperations {
public:
    // The next appends write only this many bytes, then fail with appendError.
    int64_t appendBytesBeforeFailure = -1;
    int appendError = ENOSPC;
    // When not 0, every replacement fails with this errno and leaves the target alone.
    int replaceError = 0;
    int appendCalls = 0;
    // A file that exists but cannot be opened, as without read permission.
    std::string unreadablePath;

    int appendSynced(const std::string& path, uint64_t offset, std::string_view bytes) override {
        ++appendCalls;
        if (appendBytesBeforeFailure < 0)
            return SystemFileOperations::appendSynced(path, offset, bytes);
        const size_t written =
            std::min(bytes.size(), static_cast<size_t>(appendBytesBeforeFailure));
        SystemFileOperations::appendSynced(path, offset, bytes.substr(0, written));
        return appendError;
    }
    bool openForReading(const std::string& path, InputFile& file) override {
        if (path == unreadablePath)
            return false;
        return SystemFileOperations::openForReading(path, file);
    }
    int replaceAtomically(const std::string& path, std::string_view bytes) override {
        if (replaceError != 0)
            return replaceError;
        return SystemFileOperations::replaceAtomically(path, bytes);
    }
};

} // namespace tolvane::test
