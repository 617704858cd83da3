#include "platform/files/pathtext.h"

#include "platform/files/windows/systempath.h"
#include "platform/files/windows/widetext.h"

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
    buffer.resize(::GetCurrentDirectoryW(size, buffer.data()));
    return widetext::toWtf8(buffer);
}

bool leaveStartFolder(int &error) {
    error = ::SetCurrentDirectoryW(windows::systemFolder().c_str())
                ? 0
                : static_cast<int>(::GetLastError());
    return error == 0;
}

} // namespace quervelle::pathtext
