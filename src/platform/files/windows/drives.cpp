// The drives of a Windows machine: every letter the system has, in letter order.

#include "platform/files/drives.h"

#include "platform/files/windows/systemerror.h"
#include "platform/files/windows/widetext.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

namespace quervelle {

std::vector<Drive> currentDrives() {
    std::wstring roots(128, L'\0');
    for (;;) {
        const DWORD length =
            ::GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
        if (length == 0)
            windows::throwLastError({});
        if (length < roots.size()) {
            roots.resize(length);
            break;
        }
        roots.resize(length + 1);
    }

    std::string letters;
    for (const wchar_t *entry = roots.c_str(); *entry; entry += std::wcslen(entry) + 1) {
        if (*entry >= L'a' && *entry <= L'z')
            letters += static_cast<char>(*entry - L'a' + 'A');
        else if (*entry >= L'A' && *entry <= L'Z')
            letters += static_cast<char>(*entry);
    }
    std::sort(letters.begin(), letters.end());
    letters.erase(std::unique(letters.begin(), letters.end()), letters.end());

    std::vector<Drive> drives;
    const windows::QuietErrors quiet;
    for (const char letter : letters) {
        Drive drive;
        drive.root = {letter, ':', '\\'};
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
        // Only a fixed disk is asked for its label: an empty floppy or CD drive, or a slow
        // network drive, must never hold the list up. A fixed drive that cannot answer (not
        // ready) is still listed, without a label; reading it later says why.
        if (::GetDriveTypeW(root) == DRIVE_FIXED) {
            wchar_t label[MAX_PATH + 1] = {};
            if (::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                        nullptr, 0))
                drive.label = widetext::toWtf8(label);
        }
        drives.push_back(std::move(drive));
    }
    return drives;
}

Drive systemDrive() {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
    wchar_t letter = length >= 3 && folder[1] == L':' ? folder[0] : L'C';
    if (letter >= L'a' && letter <= L'z')
        letter = static_cast<wchar_t>(letter - L'a' + L'A');
    if (letter < L'A' || letter > L'Z')
        letter = L'C';
    return Drive{{static_cast<char>(letter), ':', '\\'}, {}};
}

} // namespace quervelle
