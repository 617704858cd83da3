#include "platform/files/directoryreader.h"

#include "platform/files/namelist.h"
#include "platform/files/pattern.h"

#include <cerrno>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// Path texts are UTF-8 on Windows; the system calls take UTF-16.

namespace quervelle {

namespace {

std::wstring wide(const std::string &text) {
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}

std::string utf8(const wchar_t *text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string out(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back(); // the terminating NUL
    return out;
}

int errnoFrom(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_READY:
        return EBUSY;
    default:
        return EIO;
    }
}

bool hasNul(const std::string &path) {
    return path.find('\0') != std::string::npos;
}

} // namespace

int readFolder(const std::string &path, EntryKind kind, const PatternMatcher *pattern,
               NameList &out, const std::function<void(std::size_t)> &progress) {
    if (hasNul(path))
        return EINVAL;
    std::wstring query = wide(path);
    if (!query.empty() && query.back() != L'\\')
        query += L'\\';
    query += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(query.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // An empty drive root has not even "." to give.
        if (error == ERROR_FILE_NOT_FOUND && folderStatus(path) == 0)
            return 0;
        return errnoFrom(error);
    }
    std::size_t seen = 0;
    int result = 0;
    do {
        if (progress && (++seen & 0xFFF) == 0)
            progress(seen);
        if (data.cFileName[0] == L'.')
            continue;
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder != (kind == EntryKind::Folder))
            continue;
        const std::string name = utf8(data.cFileName);
        if (pattern && !pattern->matches(name))
            continue;
        out.append(name);
    } while (FindNextFileW(find, &data));
    const DWORD last = GetLastError();
    if (last != ERROR_NO_MORE_FILES)
        result = errnoFrom(last);
    FindClose(find);
    return result;
}

int folderStatus(const std::string &path) {
    if (hasNul(path))
        return EINVAL;
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return errnoFrom(GetLastError());
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ENOTDIR;
}

bool entryExists(const std::string &path) {
    return !hasNul(path) && GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace quervelle
