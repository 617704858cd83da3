#include "support/windows/winfixture.h"

#include "platform/files/windows/widetext.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace quervelle::wintest {

namespace {

DWORD g_error = 0;

bool done(bool ok) {
    if (!ok)
        g_error = ::GetLastError();
    return ok;
}

std::wstring probePath() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"quervelle_probe.exe";
}

} // namespace

std::wstring wide(std::string_view text) {
    return widetext::fromWtf8(text).value_or(L"");
}

std::string utf8(std::wstring_view units) {
    return widetext::toWtf8(units);
}

TempFolder::TempFolder() {
    static int serial = 0;
    wchar_t temp[MAX_PATH + 1] = {};
    std::wstring folder(temp, ::GetTempPathW(MAX_PATH + 1, temp));
    folder +=
        L"quervelle-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    if (make(L"\\\\?\\" + folder + L"\\"))
        m_path = utf8(folder);
}

TempFolder::~TempFolder() {
    if (!m_path.empty())
        removeTree(at());
}

std::wstring TempFolder::at(std::wstring_view inside) const {
    return L"\\\\?\\" + wide(m_path) + (inside.empty() ? L"" : L"\\" + std::wstring(inside));
}

bool make(std::wstring verbatim, std::string_view content) {
    if (verbatim.back() == L'\\')
        return done(::CreateDirectoryW(verbatim.substr(0, verbatim.size() - 1).c_str(), nullptr));
    std::wstring lower = verbatim;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::towlower);
    if (lower.find(L".exe") != std::wstring::npos || lower.find(L".com") != std::wstring::npos)
        return done(::CopyFileW(probePath().c_str(), verbatim.c_str(), TRUE));
    const HANDLE file = ::CreateFileW(verbatim.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!done(file != INVALID_HANDLE_VALUE))
        return false;
    DWORD written = 0;
    const bool ok =
        done(::WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr));
    ::CloseHandle(file);
    return ok;
}

unsigned long lastError() {
    return g_error;
}

void removeTree(const std::wstring &verbatim) {
    const DWORD attributes = ::GetFileAttributesW(verbatim.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    ::SetFileAttributesW(verbatim.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileW(verbatim.c_str());
        return;
    }
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((verbatim + L"\\*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &data)) {
        if (std::wstring_view(data.cFileName) != L"." && std::wstring_view(data.cFileName) != L"..")
            removeTree(verbatim + L"\\" + data.cFileName);
    }
    if (find != INVALID_HANDLE_VALUE)
        ::FindClose(find);
    ::RemoveDirectoryW(verbatim.c_str());
}

std::wstring namesIn(const std::wstring &verbatimFolder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((verbatimFolder + L"\\*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &data))
        names.insert(data.cFileName);
    if (find != INVALID_HANDLE_VALUE)
        ::FindClose(find);
    names.erase(L".");
    names.erase(L"..");
    std::wstring joined;
    for (const std::wstring &name : names)
        joined += (joined.empty() ? L"" : L"|") + name;
    return joined;
}

std::vector<std::wstring> split(const std::wstring &joined) {
    std::vector<std::wstring> parts;
    for (std::size_t at = 0; !joined.empty() && at <= joined.size();) {
        const std::size_t end = std::min(joined.find(L'|', at), joined.size());
        parts.push_back(joined.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

bool exists(const std::wstring &verbatim) {
    return ::GetFileAttributesW(verbatim.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string contentOf(const std::wstring &verbatim, int seconds) {
    for (int tenths = 0; tenths <= seconds * 10; ++tenths) {
        const HANDLE file = ::CreateFileW(verbatim.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::string content(::GetFileSize(file, nullptr), '\0');
            DWORD read = 0;
            ::ReadFile(file, content.data(), DWORD(content.size()), &read, nullptr);
            ::CloseHandle(file);
            return content;
        }
        ::Sleep(100);
    }
    return "(none)";
}

std::string preparedDrives() {
    const std::string list = contentOf(L"\\\\?\\C:\\quervelle-test-drives.txt");
    return list == "(none)" ? std::string() : list;
}

bool underWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace quervelle::wintest
