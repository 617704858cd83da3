#include "platform/files/windows/systempath.h"

#include "platform/files/errors.h"
#include "platform/files/windows/systemerror.h"
#include "platform/files/windows/widetext.h"

#include <windows.h>

#include <vector>

namespace quervelle::windows {

namespace {

bool isLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

wchar_t upper(wchar_t letter) {
    return letter >= L'a' && letter <= L'z' ? static_cast<wchar_t>(letter - L'a' + L'A') : letter;
}

// What a character does to a name: nothing when allowed; otherwise the French detail for the
// error.
const char *forbidden(wchar_t c) {
    switch (c) {
    case L'*':
    case L'?':
        return "un nom Windows ne contient jamais * ni ?";
    case L'<':
    case L'>':
    case L'"':
    case L'|':
    case L':':
        return "un nom Windows ne contient jamais < > \" | :";
    default:
        return c < 0x20 ? "un nom Windows ne contient pas de caractère de contrôle" : nullptr;
    }
}

std::wstring currentFolder() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    folder.resize(::GetCurrentDirectoryW(size, folder.data()));
    return folder;
}

// The current folder of a drive ("C:" gives "C:\Users\anne" when that is where C: was left).
std::wstring currentFolderOf(wchar_t letter) {
    const wchar_t drive[] = {letter, L':', L'\0'};
    const DWORD size = ::GetFullPathNameW(drive, 0, nullptr, nullptr);
    std::wstring folder(size, L'\0');
    folder.resize(::GetFullPathNameW(drive, size, folder.data(), nullptr));
    return folder.empty() ? std::wstring{upper(letter), L':', L'\\'} : folder;
}

// The drive ("C:") or the server and share ("\\host\share") a full path starts with, and where
// its folders begin.
std::size_t rootLength(const std::wstring &path) {
    if (path.size() >= 2 && isLetter(path[0]) && path[1] == L':')
        return 2;
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        std::size_t end = path.find(L'\\', 2);
        if (end != std::wstring::npos)
            end = path.find(L'\\', end + 1);
        return end == std::wstring::npos ? path.size() : end;
    }
    return 0;
}

// Refused before the system sees it, with the code the system would have given.
[[noreturn]] void refuse(const std::string &path, DWORD code, const char *detail = "") {
    throw PlatformError(code == ERROR_INVALID_NAME ? ErrorKind::InvalidName : ErrorKind::NotFound,
                        path, codeOf(code), detail);
}

} // namespace

SystemPath systemPath(const std::string &path) {
    // An empty text names no file: never let it stand for the current folder.
    if (path.empty())
        refuse(path, ERROR_PATH_NOT_FOUND);
    if (path.find('\0') != std::string::npos)
        refuse(path, ERROR_INVALID_NAME);
    std::optional<std::wstring> converted = widetext::fromWtf8(path);
    if (!converted)
        refuse(path, ERROR_INVALID_NAME, "texte qui n'est pas de l'UTF-8");
    std::wstring text = std::move(*converted);
    for (wchar_t &c : text) {
        if (c == L'/')
            c = L'\\';
    }

    // Made full the way Windows would, but without its clean-up of the names.
    const bool network = text.size() >= 2 && text[0] == L'\\' && text[1] == L'\\';
    if (text.size() >= 2 && isLetter(text[0]) && text[1] == L':') {
        if (text.size() == 2 || text[2] != L'\\')
            text = currentFolderOf(text[0]) + L'\\' + text.substr(2);
    } else if (!network) {
        const std::wstring current = currentFolder();
        if (!text.empty() && text[0] == L'\\')
            text = current.substr(0, rootLength(current)) + text;
        else
            text = current + L'\\' + text;
    }

    const std::size_t root = rootLength(text);
    std::wstring full = text.substr(0, root);
    if (root == 2)
        full[0] = upper(full[0]);
    for (std::size_t i = 2; i < root; ++i) {
        if (const char *why = forbidden(text[i]); why && text[i] != L'\\')
            refuse(path, ERROR_INVALID_NAME, why);
    }

    std::vector<std::wstring> steps;
    std::size_t start = root;
    while (start <= text.size()) {
        std::size_t end = text.find(L'\\', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring step = text.substr(start, end - start);
        start = end + 1;
        if (step.empty() || step == L".")
            continue;
        if (step == L"..") {
            if (!steps.empty())
                steps.pop_back();
            continue;
        }
        for (const wchar_t c : step) {
            if (const char *why = forbidden(c))
                refuse(path, ERROR_INVALID_NAME, why);
        }
        steps.push_back(std::move(step));
    }
    for (const std::wstring &step : steps)
        full += L'\\' + step;
    if (steps.empty())
        full += L'\\'; // the root of a drive ("C:\" itself)

    SystemPath result;
    result.dos = full;
    result.verbatim = full[0] == L'\\' ? L"\\\\?\\UNC" + full.substr(1) : L"\\\\?\\" + full;
    return result;
}

std::wstring verbatimPath(const std::string &path) {
    return systemPath(path).verbatim;
}

std::wstring systemFolder() {
    const UINT size = ::GetSystemDirectoryW(nullptr, 0);
    std::wstring folder(size, L'\0');
    folder.resize(::GetSystemDirectoryW(folder.data(), size));
    return folder;
}

} // namespace quervelle::windows
