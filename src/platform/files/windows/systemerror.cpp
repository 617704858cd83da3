#include "platform/files/windows/systemerror.h"

#include "platform/files/directoryreader.h"
#include "platform/files/windows/widetext.h"

#include <windows.h>

namespace quervelle {

namespace windows {

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's headers lack.
constexpr DWORD DiskQuotaExceeded = 1295;

} // namespace

ErrorKind errorKindOf(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ErrorKind::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_NETWORK_ACCESS_DENIED:
        return ErrorKind::AccessDenied;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return ErrorKind::AlreadyExists;
    case ERROR_DIR_NOT_EMPTY:
        return ErrorKind::NotEmpty;
    case ERROR_WRITE_PROTECT:
        return ErrorKind::ReadOnlyFileSystem;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case DiskQuotaExceeded:
        return ErrorKind::NoSpace;
    case ERROR_FILENAME_EXCED_RANGE:
        return ErrorKind::NameTooLong;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_UNICODE_TRANSLATION:
        return ErrorKind::InvalidName;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_CURRENT_DIRECTORY:
        return ErrorKind::Busy;
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
        return ErrorKind::NotExecutable;
    case ERROR_DIRECTORY:
        return ErrorKind::NotADirectory;
    default:
        return ErrorKind::Other;
    }
}

std::string systemText(unsigned long code) {
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    if (text.empty())
        return "code " + std::to_string(code);
    return widetext::toWtf8(text);
}

std::error_code codeOf(unsigned long code) {
    return code == 0 ? std::error_code()
                     : std::error_code(static_cast<int>(code), std::system_category());
}

PlatformError errorFrom(unsigned long code, const std::string &path, std::string detail) {
    const ErrorKind kind = errorKindOf(code);
    if (kind == ErrorKind::Other && detail.empty())
        detail = systemText(code);
    return PlatformError(kind, path, codeOf(code), std::move(detail));
}

void throwLastError(const std::string &path) {
    throw errorFrom(::GetLastError(), path);
}

QuietErrors::QuietErrors() {
    DWORD previous = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    m_previous = previous;
}

QuietErrors::~QuietErrors() {
    ::SetThreadErrorMode(m_previous, nullptr);
}

} // namespace windows

PlatformError systemError(std::error_code code, const std::string &path) {
    return windows::errorFrom(static_cast<unsigned long>(code.value()), path);
}

bool meansNoFolder(std::error_code code) {
    if (code.category() != std::system_category())
        return false;
    const int value = code.value();
    return value == ERROR_FILE_NOT_FOUND || value == ERROR_PATH_NOT_FOUND ||
           value == ERROR_INVALID_DRIVE || value == ERROR_DIRECTORY;
}

} // namespace quervelle
