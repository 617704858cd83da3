#include "platform/errors.h"

#include <cerrno>
#include <cstring>

namespace quervelle {

PlatformError::PlatformError(ErrorKind kind, std::string path, int osError, std::string systemText)
    : std::runtime_error(frenchMessage(kind, path, systemText)), m_kind(kind),
      m_path(std::move(path)), m_osError(osError) {}

OverflowError::OverflowError() : std::runtime_error("Dépassement de capacité") {}

std::string frenchMessage(ErrorKind kind, const std::string &path, const std::string &systemText) {
    const char *sentence = nullptr;
    switch (kind) {
    case ErrorKind::NotFound:
        sentence = "Fichier introuvable";
        break;
    case ErrorKind::AccessDenied:
        sentence = "Accès refusé";
        break;
    case ErrorKind::AlreadyExists:
        sentence = "Le fichier ou le dossier existe déjà";
        break;
    case ErrorKind::NotEmpty:
        sentence = "Le dossier n'est pas vide";
        break;
    case ErrorKind::ReadOnlyFileSystem:
        sentence = "Le disque est en lecture seule";
        break;
    case ErrorKind::NoSpace:
        sentence = "Plus de place sur le disque";
        break;
    case ErrorKind::NameTooLong:
        sentence = "Nom trop long";
        break;
    case ErrorKind::InvalidName:
        sentence = "Nom incorrect";
        break;
    case ErrorKind::Busy:
        sentence = "Fichier ou dossier en cours d'utilisation";
        break;
    case ErrorKind::NotExecutable:
        sentence = "Ce fichier ne peut pas être exécuté";
        break;
    case ErrorKind::Other:
        break;
    }
    std::string message;
    if (sentence) {
        message = sentence;
    } else {
        message = "Erreur";
        if (!systemText.empty())
            message += " (" + systemText + ")";
    }
    if (!path.empty())
        message += " : " + path;
    return message;
}

ErrorKind errorKindFromErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
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
    case EDQUOT:
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
    default:
        return ErrorKind::Other;
    }
}

PlatformError errorFromErrno(int err, const std::string &path) {
    const ErrorKind kind = errorKindFromErrno(err);
    return PlatformError(kind, path, err, kind == ErrorKind::Other ? std::strerror(err) : "");
}

} // namespace quervelle
