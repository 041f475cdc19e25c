// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the tests of the per-user files in a folder that others can
// write: what another user may put at one of their names beforehand.

#include "support/TempDir.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::test {

enum class Planted {
    LinkOutside,  // a symbolic link to an existing file outside the folder
    DanglingLink, // a symbolic link to a name outside that does not exist yet
    OtherUsers,   // a regular file of another user (needs root to make)
    Fifo,         // a named pipe nobody reads or writes
    Directory,
};

constexpr Planted kAllPlanted[] = {Planted::LinkOutside, Planted::DanglingLink, Planted::OtherUsers,
                                   Planted::Fifo, Planted::Directory};

// The user of no one's files ("nobody").
constexpr uid_t kOtherUser = 65534;

inline const char* plantedName(Planted kind) {
    switch (kind) {
    case Planted::LinkOutside:
        return "link to a file outside";
    case Planted::DanglingLink:
        return "dangling link";
    case Planted::OtherUsers:
        return "another user's file";
    case Planted::Fifo:
        return "named pipe";
    case Planted::Directory:
        return "directory";
    }
    return "?";
}

// A file outside the user's folder that links may point to: its bytes must
// come out of every test as they went in.
struct Victim {
    TempDir dir;
    std::string path = dir.file("victime.txt");
    std::string absent = dir.file("absente.txt");
    std::string bytes = "# fichier de la victime\nne pas toucher\n";

    Victim() { TempDir::writeFile(path, bytes); }
    bool untouched() const {
        struct stat st {};
        return TempDir::readFile(path) == bytes && ::lstat(absent.c_str(), &st) != 0;
    }
};

// Puts kind at path; false when this user cannot (another user's file
// without root). The other user's file holds bytes.
inline bool plant(Planted kind, const std::string& path, const Victim& victim,
                  const std::string& bytes = "autre") {
    switch (kind) {
    case Planted::LinkOutside:
        return ::symlink(victim.path.c_str(), path.c_str()) == 0;
    case Planted::DanglingLink:
        return ::symlink(victim.absent.c_str(), path.c_str()) == 0;
    case Planted::OtherUsers:
        if (::geteuid() != 0)
            return false;
        TempDir::writeFile(path, bytes);
        return ::chown(path.c_str(), kOtherUser, kOtherUser) == 0;
    case Planted::Fifo:
        return ::mkfifo(path.c_str(), 0666) == 0;
    case Planted::Directory:
        return ::mkdir(path.c_str(), 0755) == 0;
    }
    return false;
}

// Whether path still stands for what plant put there, unchanged.
inline bool stillPlanted(Planted kind, const std::string& path,
                         const std::string& bytes = "autre") {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    switch (kind) {
    case Planted::LinkOutside:
    case Planted::DanglingLink:
        return S_ISLNK(st.st_mode);
    case Planted::OtherUsers:
        return S_ISREG(st.st_mode) && st.st_uid == kOtherUser && TempDir::readFile(path) == bytes;
    case Planted::Fifo:
        return S_ISFIFO(st.st_mode);
    case Planted::Directory:
        return S_ISDIR(st.st_mode);
    }
    return false;
}

} // namespace tolvane::test
