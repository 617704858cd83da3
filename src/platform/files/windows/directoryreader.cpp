// Reading folders on Windows. The codes returned are Windows error codes (std::system_category());
// systemError() and meansNoFolder() read them.

#include "platform/files/directoryreader.h"

#include "platform/files/namelist.h"
#include "platform/files/pattern.h"
#include "platform/files/windows/ownedhandle.h"
#include "platform/files/windows/systemerror.h"
#include "platform/files/windows/systempath.h"
#include "platform/files/windows/widetext.h"

#include <windows.h>

#include <string>

namespace quervelle {

namespace {

// The attributes of path, or the error code that says why there are none.
DWORD attributesOf(const std::string &path, DWORD &attributes) {
    const windows::QuietErrors quiet;
    try {
        attributes = ::GetFileAttributesW(windows::verbatimPath(path).c_str());
    } catch (const PlatformError &refused) {
        return static_cast<DWORD>(refused.osError().value());
    }
    return attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : 0;
}

} // namespace

std::error_code readFolder(const std::string &path, const FolderReading &into,
                           const std::function<void(std::size_t)> &progress) {
    std::wstring query;
    try {
        query = windows::verbatimPath(path);
    } catch (const PlatformError &refused) {
        return refused.osError();
    }
    if (query.back() != L'\\')
        query += L'\\';
    query += L'*';

    const windows::QuietErrors quiet;
    WIN32_FIND_DATAW data;
    // Closed on every way out, a name that cannot be stored included.
    const windows::OwnedHandle find(::FindFirstFileExW(query.c_str(), FindExInfoBasic, &data,
                                                       FindExSearchNameMatch, nullptr,
                                                       FIND_FIRST_EX_LARGE_FETCH),
                                    ::FindClose);
    if (!find.valid()) {
        const DWORD error = ::GetLastError();
        // An empty drive root has not even "." to give.
        if (error == ERROR_FILE_NOT_FOUND && !folderStatus(path))
            return {};
        return windows::codeOf(error);
    }
    std::size_t seen = 0;
    do {
        if (progress && (++seen & 0xFF) == 0)
            progress(seen);
        if (data.cFileName[0] == L'.')
            continue;
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        NameList *const list = folder ? into.folders : into.files;
        const PatternMatcher *const pattern = folder ? into.folderPattern : into.filePattern;
        if (!list)
            continue;
        // Every name comes back as the exact text that names it again, valid UTF-16 or not.
        const std::string name = widetext::toWtf8(data.cFileName);
        if (pattern && !pattern->matches(name))
            continue;
        list->append(name);
        if (list == into.files && into.batchFull && list->size() >= into.batch)
            into.batchFull(*list);
    } while (::FindNextFileW(find.get(), &data));
    const DWORD last = ::GetLastError();
    return last == ERROR_NO_MORE_FILES ? std::error_code() : windows::codeOf(last);
}

std::error_code folderStatus(const std::string &path) {
    DWORD attributes = 0;
    if (const DWORD error = attributesOf(path, attributes))
        return windows::codeOf(error);
    return windows::codeOf((attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_DIRECTORY);
}

// Windows gives a folder no size of its own.
std::uintmax_t folderSize(const std::string &) {
    return 0;
}

bool entryExists(const std::string &path) {
    DWORD attributes = 0;
    return attributesOf(path, attributes) == 0;
}

} // namespace quervelle
