// Read by the tests of the shipped program: writes into <report> what Windows shows of
// <program>'s resources, in UTF-8, one "Name=value" line each: the texts of its version
// resource (in the language it declares first), its fixed version numbers, then "Manifest=" and
// its application manifest as written. A name the program lacks is left out.
//   quervelle_resources <program> <report>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring &text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(
        std::size_t(::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(),
                                          int(bytes.size()), nullptr, nullptr)));
    return bytes;
}

std::string versionTexts(const wchar_t *program) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(program, &ignored);
    if (size == 0)
        return {};
    std::vector<char> data(size);
    if (!::GetFileVersionInfoW(program, 0, size, data.data()))
        return {};
    std::string report;
    void *value = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(data.data(), L"\\", &value, &length) &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
        report += "FixedFileVersion=" + std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                  std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                  std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                  std::to_string(LOWORD(fixed->dwFileVersionLS)) + "\n";
    }
    struct Translation {
        WORD language, codePage;
    };
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < sizeof(Translation))
        return report;
    const auto *translation = static_cast<const Translation *>(value);
    wchar_t block[64];
    ::wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", translation->language,
                translation->codePage);
    for (const wchar_t *name :
         {L"CompanyName", L"FileDescription", L"FileVersion", L"LegalCopyright",
          L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        if (::VerQueryValueW(data.data(), (std::wstring(block) + name).c_str(), &value, &length) &&
            length > 0)
            report += utf8(name) + "=" +
                      utf8(std::wstring(static_cast<const wchar_t *>(value), length - 1)) + "\n";
    }
    return report;
}

std::string manifest(const wchar_t *program) {
    const HMODULE module = ::LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return {};
    std::string text;
    if (const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const HGLOBAL loaded = ::LoadResource(module, found);
        const void *bytes = loaded ? ::LockResource(loaded) : nullptr;
        if (bytes)
            text.assign(static_cast<const char *>(bytes), ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return text.empty() ? text : "Manifest=" + text;
}

} // namespace

int wmain(int argc, wchar_t *argv[]) {
    if (argc != 3)
        return 2;
    const std::string report = versionTexts(argv[1]) + manifest(argv[1]);
    const HANDLE file = ::CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, report.data(), DWORD(report.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok ? 0 : 1;
}
