#include "platform/files/pathtext.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace quervelle::pathtext {

char pathSeparator() {
    return '\\';
}

bool isAbsolutePath(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/'))
        return true;
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

std::string startFolder(int &error) {
    error = 0;
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    if (size == 0) {
        error = static_cast<int>(::GetLastError());
        return {};
    }
    std::wstring buffer(size, L'\0');
    const DWORD written = ::GetCurrentDirectoryW(size, buffer.data());
    buffer.resize(written);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, buffer.data(), static_cast<int>(written),
                                            nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, buffer.data(), static_cast<int>(written), out.data(), bytes,
                          nullptr, nullptr);
    return out;
}

} // namespace quervelle::pathtext
