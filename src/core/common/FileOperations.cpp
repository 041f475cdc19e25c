// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/FileOperations.h"

#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/SystemFileOperations.h"
#include "core/common/UserFileSafety.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace tolvane {

namespace {

constexpr int kCopies = 9;

} // namespace

FileOperations& FileOperations::system() {
    static SystemFileOperations operations;
    return operations;
}

LockResult FileOperations::lockExclusive(const std::string& path, std::unique_ptr<FileLock>& lock) {
    return UserFileLock::take(path, lock);
}

int FileOperations::openOwnForReading(const std::string& path, InputFile& file) {
    int err = 0;
    file.adopt(UserFileSafety::openOwn(path, O_RDONLY, 0, err));
    return err;
}

int FileOperations::keepCopy(const std::string& path) {
    InputFile file;
    if (const int err = openOwnForReading(path, file); err != 0)
        return err == ENOENT ? 0 : err; // gone: nothing to keep
    std::string bytes(static_cast<size_t>(file.size()), '\0');
    if (file.readAt(0, bytes.data(), bytes.size()) != bytes.size())
        return EIO;
    file.close();
    std::string copy;
    for (int n = 1; n <= kCopies; ++n) {
        copy = path + ".BAK" + (n == 1 ? std::string() : std::to_string(n));
        struct stat st {};
        if (::lstat(copy.c_str(), &st) != 0)
            break;
    }
    return replaceAtomically(copy, bytes);
}

namespace {

// The French words for the errors a save meets, in UTF-8; others are the
// system's own text.
std::string errorTextUtf8(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return "le disque est plein";
    case EACCES:
    case EPERM:
        return "accès refusé";
    case EROFS:
        return "le support est en lecture seule";
    case ENOENT:
    case ENOTDIR:
        return "le dossier n'existe pas";
    case UserFileSafety::kNotOwnRegularFile:
        return "ce n'est pas un fichier ordinaire appartenant à l'utilisateur";
    case EIO:
        return "erreur d'entrée/sortie";
    default:
        return std::strerror(errorNumber);
    }
}

} // namespace

std::string FileOperations::errorText(int errorNumber) {
    return cp1252::fromUtf8(errorTextUtf8(errorNumber));
}

std::string FileOperations::saveFailureMessage(std::string_view what, const std::string& path,
                                               int errorNumber) {
    std::string message = "Impossible d'enregistrer ";
    message += what;
    message += cp1252::fromUtf8(" dans «" + path + "» : " + errorTextUtf8(errorNumber) + ".");
    return message;
}

} // namespace tolvane
