// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/common/FileOperations.h"

namespace tolvane {

// FileOperations on the real file system, with POSIX calls.
class SystemFileOperations : public FileOperations {
public:
    int appendSynced(const std::string& path, uint64_t offset, std::string_view bytes) override;
    int replaceAtomically(const std::string& path, std::string_view bytes) override;
    bool openForReading(const std::string& path, InputFile& file) override;
    int remove(const std::string& path) override;
};

} // namespace tolvane
