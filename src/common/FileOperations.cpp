#include "FileOperations.h"

#include "Cp1252.h"
#include "SystemFileOperations.h"

#include <cerrno>
#include <cstring>

namespace tolvane {

FileOperations& FileOperations::system() {
    static SystemFileOperations operations;
    return operations;
}

std::string FileOperations::errorText(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return "le disque est plein";
    case EACCES:
    case EPERM:
        return "acc\xE8s refus\xE9";
    case EROFS:
        return "le support est en lecture seule";
    case ENOENT:
    case ENOTDIR:
        return "le dossier n'existe pas";
    case EIO:
        return "erreur d'entr\xE9"
               "e/sortie";
    default:
        return std::strerror(errorNumber);
    }
}

std::string FileOperations::saveFailureMessage(std::string_view what, const std::string& path,
                                               int errorNumber) {
    std::string message = "Impossible d'enregistrer ";
    message += what;
    message += " dans \xAB";
    message += cp1252::fromUtf8(path);
    message += "\xBB : ";
    message += errorText(errorNumber);
    message += '.';
    return message;
}

} // namespace tolvane
