// Started by the program-start tests. Writes beside itself, in "<its own path>.ran", the window
// style it was asked for, its command line and its working folder, in UTF-8
// ("2|\"C:\\x\\p.exe\"|C:\\x"); then ends.

#include <windows.h>

#include <string>

int main() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    STARTUPINFOW startup{};
    ::GetStartupInfoW(&startup);
    std::wstring folder(32768, L'\0');
    folder.resize(::GetCurrentDirectoryW(DWORD(folder.size()), folder.data()));
    const std::wstring report =
        std::to_wstring(startup.wShowWindow) + L"|" + ::GetCommandLineW() + L"|" + folder;
    std::string bytes(report.size() * 3, '\0');
    bytes.resize(
        std::size_t(::WideCharToMultiByte(CP_UTF8, 0, report.data(), int(report.size()),
                                          bytes.data(), int(bytes.size()), nullptr, nullptr)));
    const HANDLE file = ::CreateFileW((self + L".ran").c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok ? 0 : 1;
}
