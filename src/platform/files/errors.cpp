#include "platform/files/errors.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace quervelle {

PlatformError::PlatformError(ErrorKind kind, std::string path, std::error_code osError,
                             std::string systemText)
    : std::runtime_error(frenchMessage(kind, path, systemText)), m_kind(kind),
      m_path(std::move(path)), m_osError(osError) {}

OverflowError::OverflowError() : std::runtime_error("Dépassement de capacité") {}

namespace {

const char *sentenceFor(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::NotFound:
        return "Fichier introuvable";
    case ErrorKind::AccessDenied:
        return "Accès refusé";
    case ErrorKind::AlreadyExists:
        return "Le fichier ou le dossier existe déjà";
    case ErrorKind::NotEmpty:
        return "Le dossier n'est pas vide";
    case ErrorKind::ReadOnlyFileSystem:
        return "Le disque est en lecture seule";
    case ErrorKind::NoSpace:
        return "Plus de place sur le disque";
    case ErrorKind::NameTooLong:
        return "Nom trop long";
    case ErrorKind::InvalidName:
        return "Nom incorrect";
    case ErrorKind::Busy:
        return "Fichier ou dossier en cours d'utilisation";
    case ErrorKind::NotExecutable:
        return "Ce fichier ne peut pas être exécuté";
    case ErrorKind::NotADirectory:
        return "Ce n'est pas un dossier";
    case ErrorKind::IsADirectory:
        return "C'est un dossier, pas un fichier";
    case ErrorKind::Other:
        break;
    }
    return nullptr;
}

} // namespace

std::string frenchMessage(ErrorKind kind, const std::string &path, const std::string &systemText) {
    std::string message;
    if (const char *sentence = sentenceFor(kind)) {
        message = sentence;
        if (!systemText.empty())
            message += " (" + systemText + ")";
    } else {
        message = "Erreur";
        if (!systemText.empty())
            message += " (" + systemText + ")";
    }
    if (!path.empty()) {
        message += " : ";
        // A NUL cannot be shown (and would end the text early): it appears as the symbol ␀.
        for (const char c : path) {
            if (c == '\0')
                message += "\xE2\x90\x80";
            else
                message += c;
        }
    }
    return message;
}

ErrorKind errorKindFromErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR: // a component of the path is not a folder: the path leads nowhere
        return ErrorKind::NotFound;
    case EACCES:
    case EPERM:
        return ErrorKind::AccessDenied;
    case EEXIST:
        return ErrorKind::AlreadyExists;
    case ENOTEMPTY:
        return ErrorKind::NotEmpty;
    case EROFS:
        return ErrorKind::ReadOnlyFileSystem;
    case ENOSPC:
#ifdef EDQUOT // not every C library has the quota error
    case EDQUOT:
#endif
        return ErrorKind::NoSpace;
    case ENAMETOOLONG:
        return ErrorKind::NameTooLong;
    case EINVAL:
    case EILSEQ:
        return ErrorKind::InvalidName;
    case EBUSY:
    case ETXTBSY:
        return ErrorKind::Busy;
    case ENOEXEC:
        return ErrorKind::NotExecutable;
    case EISDIR:
        return ErrorKind::IsADirectory;
    default:
        return ErrorKind::Other;
    }
}

std::error_code errnoCode(int err) {
    return err == 0 ? std::error_code() : std::error_code(err, std::generic_category());
}

PlatformError errorFromErrno(int err, const std::string &path) {
    const ErrorKind kind = errorKindFromErrno(err);
    return PlatformError(kind, path, errnoCode(err),
                         kind == ErrorKind::Other ? std::strerror(err) : "");
}

} // namespace quervelle
