// Program start on Windows: the exact file, its quoted path as the whole command line, minimized
// with the focus, working in the folder that holds it; batch files only through the command
// processor and only when their path holds nothing it would read as a command; anything else
// refused. A started probe program writes what it was given beside itself ("<path>.ran"); a batch
// file writes a mark the same way.

#include "platform/files/errors.h"
#include "platform/files/fileoperations.h"
#include "platform/platform.h"

#include "support/plain/check.h"
#include "support/windows/winfixture.h"

using quervelle::plain::Check;
using namespace quervelle::wintest;

namespace {

struct StartRow {
    std::string name;
    std::wstring made;    // entries made first, joined by "|" (see make())
    std::wstring target;  // started
    std::string refusal;  // the message before " : <path>"; empty when the target starts
    std::wstring decoy{}; // a program that must not start
};

const std::string No = "Ce fichier ne peut pas être exécuté";
std::string special(const char *c) {
    return No + " (fichier de commandes dont le chemin contient « " + c +
           " », que l'interpréteur de commandes lirait comme une commande)";
}

const std::vector<StartRow> startRows = {
    {"folder with spaces, beside the program its first word names",
     L"Program Files (x86)\\|Program Files (x86)\\pro gram.exe|Program.exe",
     L"Program Files (x86)\\pro gram.exe", "", L"Program.exe"},
    {"upper-case extension", L"SETUP.EXE", L"SETUP.EXE", ""},
    {"com program", L"outil.com", L"outil.com", ""},
    {"batch file with spaces and parentheses", L"a b (1).bat", L"a b (1).bat", ""},
    {"command file", L"c.cmd", L"c.cmd", ""},
    {"batch file with a percent sign", L"100%.bat", L"100%.bat", special("%")},
    {"batch file with an ampersand", L"a&b.cmd", L"a&b.cmd", special("&")},
    {"batch file with a caret", L"x^y.bat", L"x^y.bat", special("^")},
    {"batch file with an exclamation mark", L"oui!.bat", L"oui!.bat", special("!")},
    {"trailing dot: no program, and never its twin", L"prog.exe|prog.exe.", L"prog.exe.", No,
     L"prog.exe"},
    {"text file", L"notes.txt", L"notes.txt", No},
    {"folder named like a program", L"dossier.exe\\", L"dossier.exe", No},
    {"no such program", L"", L"absent.exe", "Fichier introuvable"},
};

void eachStart(Check &check, const StartRow &row) {
    TempFolder tmp;
    for (const std::wstring &entry : split(row.made)) {
        const bool batch = entry.ends_with(L".bat") || entry.ends_with(L".cmd");
        check.that(make(tmp.at(entry), batch ? "@echo ran>\"%~f0.ran\"" : "x"), "made");
    }
    const std::string path = tmp.path() + "\\" + utf8(row.target);
    std::string refusal;
    try {
        quervelle::fileops::startProgram(path, quervelle::WindowStyleMinimizedFocus);
    } catch (const quervelle::PlatformError &error) {
        refusal = error.what();
    }
    const bool batch = row.target.ends_with(L".bat") || row.target.ends_with(L".cmd");
    if (!row.refusal.empty())
        check.equal(refusal, row.refusal + " : " + path, "refused");
    else if (check.equal(refusal, std::string(), "started"))
        check.equal(contentOf(tmp.at(row.target + L".ran"), 30).substr(0, batch ? 3 : 1000),
                    batch ? std::string("ran")
                          : "2|\"" + path + "\"|" + path.substr(0, path.rfind('\\')),
                    "minimized, the quoted path its whole command line, its own folder");
    if (!row.decoy.empty())
        check.equal(contentOf(tmp.at(row.decoy + L".ran"), row.refusal.empty() ? 0 : 2),
                    std::string("(none)"), "the other program never started");
}

[[maybe_unused]] const bool registered =
    quervelle::plain::addTable("startProgram", startRows, eachStart);

} // namespace
