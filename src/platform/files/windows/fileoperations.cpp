// The file operations on Windows. Paths arrive as UTF-8 and are handed to the wide-character
// calls, so no code page ever re-encodes them. Not built on other systems.

#include "platform/files/fileoperations.h"

#include "platform/files/errors.h"

#include <windows.h>

#include <string>

namespace quervelle::fileops {

namespace {

std::wstring widePath(const std::string &path) {
    if (path.find('\0') != std::string::npos)
        throw PlatformError(ErrorKind::InvalidName, path);
    if (path.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                        static_cast<int>(path.size()), nullptr, 0);
    if (n <= 0)
        throw PlatformError(ErrorKind::InvalidName, path);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                          wide.data(), n);
    return wide;
}

ErrorKind kindOf(DWORD err) {
    switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ErrorKind::NotFound;
    case ERROR_ACCESS_DENIED:
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
        return ErrorKind::NoSpace;
    case ERROR_FILENAME_EXCED_RANGE:
        return ErrorKind::NameTooLong;
    case ERROR_INVALID_NAME:
        return ErrorKind::InvalidName;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return ErrorKind::Busy;
    case ERROR_BAD_EXE_FORMAT:
        return ErrorKind::NotExecutable;
    case ERROR_DIRECTORY:
        return ErrorKind::NotADirectory;
    default:
        return ErrorKind::Other;
    }
}

[[noreturn]] void fail(const std::string &path) {
    const DWORD err = ::GetLastError();
    throw PlatformError(kindOf(err), path, static_cast<int>(err),
                        kindOf(err) == ErrorKind::Other ? "code " + std::to_string(err) : "");
}

WIN32_FILE_ATTRIBUTE_DATA attributes(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data))
        fail(path);
    return data;
}

} // namespace

void killFile(const std::string &path) {
    // DeleteFileW takes no wildcards and removes a link itself, never its target.
    if (!::DeleteFileW(widePath(path).c_str()))
        fail(path);
}

void makeDir(const std::string &path) {
    if (!::CreateDirectoryW(widePath(path).c_str(), nullptr))
        fail(path);
}

void removeDir(const std::string &path) {
    if (!::RemoveDirectoryW(widePath(path).c_str()))
        fail(path);
}

FileDate fileDate(const std::string &path) {
    const FILETIME t = attributes(path).ftLastWriteTime;
    const std::int64_t ticks = (static_cast<std::int64_t>(t.dwHighDateTime) << 32) |
                               static_cast<std::int64_t>(t.dwLowDateTime);
    // 100-nanosecond ticks since 1601-01-01; 11644473600 seconds lie between 1601 and 1970.
    return FileDate{ticks / 10000000 - 11644473600LL};
}

std::int64_t fileLength(const std::string &path) {
    const WIN32_FILE_ATTRIBUTE_DATA data = attributes(path);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        fail(path);
    }
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) |
           static_cast<std::int64_t>(data.nFileSizeLow);
}

void startProgram(const std::string &path, int windowStyle) {
    // The program is named on its own, so the path is never split at its spaces; the command
    // line holds that path quoted and nothing else.
    const std::wstring program = widePath(path);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow =
        windowStyle == WindowStyleMinimizedFocus ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        fail(path);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

} // namespace quervelle::fileops
