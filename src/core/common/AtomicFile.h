// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Replaces a file with new contents so that a reader, a crash or a full disk
// sees either the old file or the complete new one, never a half-written
// one: the bytes go to a temporary name in the same directory, are flushed
// to the disk, and the temporary file is renamed over the target.
class AtomicFile {
public:
    // What may stand at the target's name to be replaced.
    enum class Target {
        Any,             // whatever is there (a link is replaced, not followed)
        OwnRegularOrNone // a regular file of this user, or nothing (per-user files)
    };

    // A file that replaces another keeps its permission bits; a new one is
    // created 0644. The temporary file is always a new one (O_EXCL), so a
    // name planted there is never written through. On failure the target is
    // untouched, the temporary file is removed and *error (when given) says
    // why in a sentence for the user's message and *errorNumber (when given)
    // holds the errno value behind it, or UserFileSafety::kNotOwnRegularFile
    // when the target was refused.
    static bool write(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                      int* errorNumber = nullptr, Target target = Target::Any);
    // The same for contents given in pieces, written one after the other.
    static bool write(const std::string& path, const std::vector<std::string_view>& pieces,
                      std::string* error = nullptr, int* errorNumber = nullptr,
                      Target target = Target::Any);
};

} // namespace tolvane
