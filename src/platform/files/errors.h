#pragma once

// The two kinds of error a handler can meet. PlatformError is raised by a failing platform
// operation and carries a French sentence naming what failed and the path concerned;
// OverflowError is raised by 16-bit arithmetic on the drive slot. Handlers never catch them:
// the window's event dispatch catches at the boundary of every event and shows the message.
// ReadStopped is no error: the user stopped a folder read (Escape). It ends the handler as a
// failure would, and the boundary shows nothing for it.

#include <stdexcept>
#include <string>
#include <system_error>

namespace quervelle {

enum class ErrorKind {
    NotFound,
    AccessDenied,
    AlreadyExists,
    NotEmpty,
    ReadOnlyFileSystem,
    NoSpace,
    NameTooLong,
    InvalidName,
    Busy,
    NotExecutable,
    NotADirectory, // a folder was expected (a file, or a link to a folder, was given)
    IsADirectory,  // a file was expected and a folder was given
    Other,
};

class PlatformError : public std::runtime_error {
public:
    // osError is the system's own code, in its category: an errno value in generic_category()
    // on Linux, a Windows error code in system_category() on Windows; empty when the program
    // refused by itself. systemText is the system's own wording, used for ErrorKind::Other.
    PlatformError(ErrorKind kind, std::string path, std::error_code osError = {},
                  std::string systemText = {});

    ErrorKind kind() const { return m_kind; }
    const std::string &path() const { return m_path; }
    const std::error_code &osError() const { return m_osError; }

private:
    ErrorKind m_kind;
    std::string m_path;
    std::error_code m_osError;
};

class OverflowError : public std::runtime_error {
public:
    OverflowError();
};

class ReadStopped : public std::exception {
public:
    const char *what() const noexcept override { return "Lecture du dossier arrêtée"; }
};

// The French sentence for an error condition, with the path (its bytes as they are). For
// ErrorKind::Other the sentence is the system's own text; for the other kinds a non-empty
// systemText is a detail shown in parentheses after the sentence. A NUL byte of the path is
// shown as U+2400 so that the message stays one whole text.
std::string frenchMessage(ErrorKind kind, const std::string &path, const std::string &systemText);

// The condition an errno value stands for.
ErrorKind errorKindFromErrno(int err);

// An errno value typed as such: in std::generic_category(); none for 0.
std::error_code errnoCode(int err);

// A PlatformError for a failed system call on path, from its errno value.
PlatformError errorFromErrno(int err, const std::string &path);

} // namespace quervelle
