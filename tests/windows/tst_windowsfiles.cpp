// The Windows file layer on real files. Each name Windows allows is listed by the folder
// reader, then every listed text is handed back: each must reach its own file (told apart by
// its length), and deleting the target must leave exactly its twins, names that Windows' own
// clean-up of paths would confuse with it. Then the folder operations, and the refusals with
// their French sentences.

#include "platform/files/directoryreader.h"
#include "platform/files/fileoperations.h"
#include "platform/files/namelist.h"
#include "platform/files/pathtext.h"

#include "support/plain/check.h"
#include "support/windows/winfixture.h"

#include <windows.h>

#include <algorithm>

using quervelle::plain::Check;
using namespace quervelle::wintest;
namespace fileops = quervelle::fileops;

namespace {

const std::wstring L90(90, L'l');
const std::wstring Deep = L90 + L"\\" + L90 + L"\\" + L90 + L"\\"; // paths past 260 characters

struct NameRow {
    std::string name;
    std::wstring target, twins; // twins joined by "|", sorted as namesIn() gives them
    std::wstring inside = L"";  // folders to make first, each ending with "\"
};

const std::vector<NameRow> nameRows = {
    {"accents beside plain and decomposed", L"\u00E9t\u00E9", L"ete|e\u0301te\u0301"},
    {"CJK", L"\u6587\u4EF6.txt", L"\u6587.txt"},
    {"emoji beside the replacement character", L"\U0001F600", L"\uFFFD"},
    {"leading spaces", L"  lead", L" lead|lead"},
    {"trailing space", L"t.txt ", L"t.txt|t.txt  "},
    {"the twin of a trailing space", L"t.txt", L"t.txt "},
    {"trailing dots", L"fin..", L"fin|fin."},
    {"trailing dot and space", L"name. .", L"name|name."},
    {"device name", L"nul", L"nul.txt"},
    {"semicolon, brackets, plus", L"a;[b]+", L"a|a;[b]|b"},
    {"255 characters", std::wstring(255, L'n'), std::wstring(254, L'n')},
    {"path over 260 characters", L"t.txt ", L"t.txt", Deep},
    {"unpaired surrogate beside its replacement", {L'a', wchar_t(0xD800)}, L"a|a\uFFFD"},
};

// Makes each folder on the way to and including path (which ends with "\").
void makeFolders(const std::wstring &base, const std::wstring &path) {
    for (std::size_t end = 0; (end = path.find(L'\\', end + 1)) != std::wstring::npos;)
        make(base + path.substr(0, end + 1));
}

void eachName(Check &check, const NameRow &row) {
    TempFolder tmp;
    const std::wstring folder = tmp.at() + L"\\" + row.inside;
    makeFolders(tmp.at() + L"\\", row.inside);
    if (!make(folder + row.target, "t")) {
        if (row.target.find(wchar_t(0xD800)) != std::wstring::npos && underWine())
            check.skip("wine cannot store a name that is not valid UTF-16; only Windows can");
        check.that(false, "target made: error " + std::to_string(lastError()));
        return;
    }
    std::size_t count = 1;
    for (const std::wstring &twin : split(row.twins))
        check.that(make(folder + twin, std::string(++count, 'w')), "twin made");

    const std::string path = tmp.path() + "\\" + utf8(row.inside);
    quervelle::NameList listed;
    check.equal(quervelle::readFolder(path, quervelle::EntryKind::File, nullptr, listed).value(), 0,
                "read");
    std::vector<std::int64_t> lengths;
    std::string target;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const std::string file = quervelle::pathtext::join(path, listed.name(i), '\\');
        lengths.push_back(fileops::fileLength(file));
        if (lengths.back() == 1)
            target = file;
    }
    std::sort(lengths.begin(), lengths.end());
    check.that(lengths.size() == count && lengths.front() == 1 &&
                   lengths.back() == std::int64_t(count) &&
                   std::adjacent_find(lengths.begin(), lengths.end()) == lengths.end(),
               "every name listed once, and each leads to its own file");
    fileops::killFile(target);
    check.equal(namesIn(folder.substr(0, folder.size() - 1)), row.twins, "only the target gone");
}

struct FolderRow {
    std::string name;
    bool make; // makeDir, otherwise removeDir
    std::wstring target, before, after;
};

const std::vector<FolderRow> folderRows = {
    {"make a name ending in a space", true, L"sp ", L"sp\\", L"sp|sp "},
    {"make a name ending in a dot", true, L"dot.", L"dot\\", L"dot|dot."},
    {"make a device name", true, L"con", L"", L"con"},
    {"make past 260 characters", true, Deep + L"sp ", Deep, L"sp "},
    {"remove a name ending in a space", false, L"sp ", L"sp\\|sp \\", L"sp"},
    {"remove the twin of a name ending in a space", false, L"sp", L"sp\\|sp \\", L"sp "},
};

void eachFolder(Check &check, const FolderRow &row) {
    TempFolder tmp;
    for (const std::wstring &folder : split(row.before))
        makeFolders(tmp.at() + L"\\", folder);
    const std::string path = tmp.path() + "\\" + utf8(row.target);
    row.make ? fileops::makeDir(path) : fileops::removeDir(path);
    const std::size_t last = row.target.rfind(L'\\');
    check.equal(namesIn(tmp.at(last == std::wstring::npos ? L"" : row.target.substr(0, last))),
                row.after, "folders after");
}

struct RefusalRow {
    std::string name;
    char op;                     // k: killFile, m: makeDir, r: removeDir, l: fileLength
    std::string target, message; // the message before " : <path>"
};

const std::vector<RefusalRow> refusalRows = {
    {"read-only file", 'k', "lecture seule", "Accès refusé (fichier en lecture seule)"},
    {"file held open", 'k', "ouvert", "Fichier ou dossier en cours d'utilisation"},
    {"a folder is no file", 'k', "dossier", "C'est un dossier, pas un fichier"},
    {"star never expanded", 'k', "*", "Nom incorrect (un nom Windows ne contient jamais * ni ?)"},
    {"question mark never expanded", 'k', "ouver?",
     "Nom incorrect (un nom Windows ne contient jamais * ni ?)"},
    {"no alternate stream", 'k', "ouvert:flux",
     "Nom incorrect (un nom Windows ne contient jamais < > \" | :)"},
    {"invalid UTF-8", 'k', "ouvert\xFF", "Nom incorrect (texte qui n'est pas de l'UTF-8)"},
    {"no such file", 'k', "absent", "Fichier introuvable"},
    {"folder already there", 'm', "dossier", "Le fichier ou le dossier existe déjà"},
    {"folder not empty", 'r', "dossier", "Le dossier n'est pas vide"},
    {"details of no file", 'l', "absent", "Fichier introuvable"},
};

void eachRefusal(Check &check, const RefusalRow &row) {
    TempFolder tmp;
    check.that(make(tmp.at(L"lecture seule")) && make(tmp.at(L"ouvert")) &&
                   make(tmp.at(L"dossier\\")) && make(tmp.at(L"dossier\\dedans")),
               "entries made");
    SetFileAttributesW(tmp.at(L"lecture seule").c_str(), FILE_ATTRIBUTE_READONLY);
    const HANDLE held = CreateFileW(tmp.at(L"ouvert").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string path = tmp.path() + "\\" + row.target;
    std::string message = "(no error)";
    try {
        row.op == 'k'   ? fileops::killFile(path)
        : row.op == 'm' ? fileops::makeDir(path)
        : row.op == 'r' ? fileops::removeDir(path)
                        : void(fileops::fileLength(path));
    } catch (const quervelle::PlatformError &error) {
        message = error.what();
    }
    CloseHandle(held);
    check.equal(message, row.message + " : " + path, "message");
    check.equal(namesIn(tmp.at()) + L"/" + namesIn(tmp.at(L"dossier")),
                std::wstring(L"dossier|lecture seule|ouvert/dedans"), "every entry still there");
}

[[maybe_unused]] const bool registered =
    quervelle::plain::addTable("windowsNames", nameRows, eachName) &&
    quervelle::plain::addTable("windowsFolders", folderRows, eachFolder) &&
    quervelle::plain::addTable("windowsRefusals", refusalRows, eachRefusal);

} // namespace
