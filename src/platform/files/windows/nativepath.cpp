#include "platform/files/pathtext.h"

#include "platform/files/windows/widetext.h"

#include <windows.h>

namespace quervelle::pathtext {

char pathSeparator() {
    return '\\';
}

bool isAbsolutePath(std::string_view path) {
    return isAbsolutePath(path, '\\');
}

std::string startFolder(int &error) {
    error = 0;
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    if (size == 0) {
        error = static_cast<int>(::GetLastError());
        return {};
    }
    std::wstring buffer(size, L'\0');
    buffer.resize(::GetCurrentDirectoryW(size, buffer.data()));
    return widetext::toWtf8(buffer);
}

} // namespace quervelle::pathtext
