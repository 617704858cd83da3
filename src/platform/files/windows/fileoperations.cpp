// The file operations on Windows. Every path reaches the system in its "\\?\" form
// (systempath.h), so each call acts on exactly the entry named, and every failure is read
// through the one table of error codes (systemerror.h).

#include "platform/files/fileoperations.h"

#include "platform/files/errors.h"
#include "platform/files/windows/ownedhandle.h"
#include "platform/files/windows/systemerror.h"
#include "platform/files/windows/systempath.h"

#include <windows.h>

#include <string>

namespace quervelle::fileops {

namespace {

using windows::OwnedHandle;
using windows::systemFolder;
using windows::systemPath;
using windows::throwLastError;
using windows::verbatimPath;

WIN32_FILE_ATTRIBUTE_DATA attributes(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const windows::QuietErrors quiet;
    if (!::GetFileAttributesExW(verbatimPath(path).c_str(), GetFileExInfoStandard, &data))
        throwLastError(path);
    return data;
}

// The ending of the last name, lower-case ASCII, without its dot: "exe" for "Setup.EXE".
std::wstring extensionOf(const std::wstring &path) {
    const std::size_t dot = path.find_last_of(L".\\");
    if (dot == std::wstring::npos || path[dot] != L'.')
        return {};
    std::wstring extension = path.substr(dot + 1);
    for (wchar_t &c : extension) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return extension;
}

// The command processor parses its line; these characters would make it do more than start
// the one file (inside quotes too, for % and !). Spaces and parentheses are safe in quotes.
const wchar_t *commandProcessorSpecial(const std::wstring &path) {
    static const wchar_t *const specials[] = {L"&", L"|", L"<", L">", L"^", L"%", L"!"};
    for (const wchar_t *special : specials) {
        if (path.find(special) != std::wstring::npos)
            return special;
    }
    return nullptr;
}

// The folder a started program is given as its working folder: the one that holds it, "C:\"
// for "C:\p.exe". Windows takes no working folder longer than MAX_PATH - 2 characters; for such
// a folder the program gets none of ours and keeps Windows' system folder (empty: inherited).
std::wstring workingFolderFor(const std::wstring &program) {
    std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
    if (folder.size() > 3 && folder[0] != L'\\')
        folder.pop_back(); // "C:\dir", not "C:\dir\"; a root keeps its separator
    return folder.size() <= MAX_PATH - 2 ? folder : std::wstring();
}

} // namespace

void killFile(const std::string &path) {
    // DeleteFileW takes no wildcards and removes a link itself, never its target.
    const std::wstring target = verbatimPath(path);
    if (::DeleteFileW(target.c_str()))
        return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        // Windows gives one code for three refusals; say which one it was.
        const DWORD found = ::GetFileAttributesW(target.c_str());
        if (found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY))
            throw PlatformError(ErrorKind::IsADirectory, path, windows::codeOf(error));
        if (found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_READONLY))
            throw PlatformError(ErrorKind::AccessDenied, path, windows::codeOf(error),
                                "fichier en lecture seule");
    }
    throw windows::errorFrom(error, path);
}

void makeDir(const std::string &path) {
    if (!::CreateDirectoryW(verbatimPath(path).c_str(), nullptr))
        throwLastError(path);
}

void removeDir(const std::string &path) {
    if (!::RemoveDirectoryW(verbatimPath(path).c_str()))
        throwLastError(path);
}

FileDate fileDate(const std::string &path) {
    const FILETIME t = attributes(path).ftLastWriteTime;
    const std::int64_t ticks = (static_cast<std::int64_t>(t.dwHighDateTime) << 32) |
                               static_cast<std::int64_t>(t.dwLowDateTime);
    // 100-nanosecond ticks since 1601-01-01; 11644473600 seconds lie between 1601 and 1970.
    // Whole seconds are taken downwards, before 1970 too.
    const std::int64_t sinceEpoch = ticks - 11644473600LL * 10000000;
    std::int64_t seconds = sinceEpoch / 10000000;
    if (sinceEpoch % 10000000 < 0)
        --seconds;
    return FileDate{seconds};
}

std::int64_t fileLength(const std::string &path) {
    const WIN32_FILE_ATTRIBUTE_DATA data = attributes(path);
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) |
           static_cast<std::int64_t>(data.nFileSizeLow);
}

void startProgram(const std::string &path, int windowStyle) {
    const windows::SystemPath file = systemPath(path);
    const DWORD found = ::GetFileAttributesW(file.verbatim.c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        throwLastError(path);
    if (found & FILE_ATTRIBUTE_DIRECTORY)
        throw PlatformError(ErrorKind::NotExecutable, path, windows::codeOf(ERROR_DIRECTORY));

    // The program is named on its own, so its path is never split at a space; the command line
    // is that path quoted and nothing else.
    std::wstring program;
    std::wstring commandLine;
    const std::wstring extension = extensionOf(file.dos);
    if (extension == L"exe" || extension == L"com") {
        program = file.verbatim;
        commandLine = L"\"" + file.dos + L"\"";
    } else if (extension == L"bat" || extension == L"cmd") {
        if (const wchar_t *special = commandProcessorSpecial(file.dos)) {
            throw PlatformError(ErrorKind::NotExecutable, path, {},
                                std::string("fichier de commandes dont le chemin contient « ") +
                                    static_cast<char>(*special) +
                                    " », que l'interpréteur de commandes lirait comme une "
                                    "commande");
        }
        // /d: no commands of the registry run first; /s /c: the outer quotes are taken off and
        // the quoted path inside is the whole command.
        program = systemFolder() + L"\\cmd.exe";
        commandLine = L"cmd.exe /d /s /c \"\"" + file.dos + L"\"\"";
    } else {
        throw PlatformError(ErrorKind::NotExecutable, path);
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    // The window styles are the system's own show commands (2: minimized, with the focus).
    startup.wShowWindow = static_cast<WORD>(
        windowStyle >= SW_HIDE && windowStyle <= SW_FORCEMINIMIZE ? windowStyle : SW_SHOWNORMAL);
    // The program works in its own folder, as when it is opened from Windows' file manager; ours
    // is the system folder, which it has nothing to do with.
    const std::wstring folder = workingFolderFor(file.dos);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &started))
        throwLastError(path);
    // The program runs on its own; its handles are not needed here.
    const OwnedHandle process(started.hProcess);
    const OwnedHandle thread(started.hThread);
}

} // namespace quervelle::fileops
