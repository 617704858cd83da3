#include "platform/files/pathtext.h"

#include "platform/files/windows/systemerror.h"
#include "platform/files/windows/systempath.h"
#include "platform/files/windows/widetext.h"

#include <windows.h>

namespace quervelle::pathtext {

char pathSeparator() {
    return '\\';
}

bool isAbsolutePath(std::string_view path) {
    return isAbsolutePath(path, '\\');
}

std::string startFolder(std::error_code &error) {
    error.clear();
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    if (size == 0) {
        error = std::error_code(static_cast<int>(::GetLastError()), std::system_category());
        return {};
    }
    std::wstring buffer(size, L'\0');
    buffer.resize(::GetCurrentDirectoryW(size, buffer.data()));
    return widetext::toWtf8(buffer);
}

bool leaveStartFolder(std::error_code &error) {
    error.clear();
    if (!::SetCurrentDirectoryW(windows::systemFolder().c_str()))
        error = windows::codeOf(::GetLastError());
    return !error;
}

} // namespace quervelle::pathtext
