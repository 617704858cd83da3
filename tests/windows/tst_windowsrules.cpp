// The rules of the logic with Windows texts, through the real handlers and file operations, on
// the drives the wine setup prepared: C:, and A: and D: for the root sets' lower-case "a:\" and
// "d:\". Each row acts beside a twin that a path composed or handed over wrongly would reach;
// what is on disk afterwards tells.

#include "logic/handlers.h"

#include "support/plain/check.h"
#include "support/plain/filesplatform.h"
#include "support/windows/winfixture.h"

using quervelle::plain::Check;
using namespace quervelle::wintest;

namespace {

struct RuleRow {
    std::string name;
    char handler;               // d: delete, c: create folder, r: run, i: details
    std::string dir, entry;     // Dir1.Path (File1.Path alike), and the name selected or typed
    std::wstring made;          // made first, joined by "|" ("\\?\" paths)
    std::wstring gone, present; // after the handler
    std::int16_t listIndex = 1; // of 3 drives
};

const std::vector<RuleRow> ruleRows = {
    {"delete at C:\\, in the write root set", 'd', "C:\\", "q-r.txt ",
     L"\\\\?\\C:\\q-r.txt |\\\\?\\C:\\q-r.txt", L"\\\\?\\C:\\q-r.txt ", L"\\\\?\\C:\\q-r.txt"},
    {"delete at a:\\, in the write root set", 'd', "a:\\", "x.txt",
     L"\\\\?\\A:\\x.txt|\\\\?\\A:\\x.txt ", L"\\\\?\\A:\\x.txt", L"\\\\?\\A:\\x.txt "},
    {"delete at d:\\, not in it: separator doubled after the drive", 'd', "d:\\", "x.txt",
     L"\\\\?\\D:\\x.txt|\\\\?\\D:\\x.txt.", L"\\\\?\\D:\\x.txt", L"\\\\?\\D:\\x.txt."},
    {"delete at c:\\ in lower case: no root matches", 'd', "c:\\", "q-r.txt",
     L"\\\\?\\C:\\q-r.txt|\\\\?\\C:\\q-r.txt ", L"\\\\?\\C:\\q-r.txt", L"\\\\?\\C:\\q-r.txt "},
    {"delete on the last drive refused", 'd', "C:\\", "q-r.txt", L"\\\\?\\C:\\q-r.txt", L"",
     L"\\\\?\\C:\\q-r.txt", 2},
    {"create at d:\\: separator doubled, name ending in a space", 'c', "d:\\", "sp ",
     L"\\\\?\\D:\\sp\\", L"", L"\\\\?\\D:\\sp \\"},
    {"create in a folder of D:", 'c', "D:\\sous", "dot.", L"\\\\?\\D:\\sous\\", L"",
     L"\\\\?\\D:\\sous\\dot.\\"},
    {"run at d:\\, in the run root set", 'r', "d:\\", "setup.exe", L"\\\\?\\D:\\setup.exe", L"",
     L"\\\\?\\D:\\setup.exe.ran"},
    {"run at a:\\ on the last drive", 'r', "a:\\", "outil.exe", L"\\\\?\\A:\\outil.exe", L"",
     L"\\\\?\\A:\\outil.exe.ran", 2},
    {"details at C:\\, in the details root set", 'i', "C:\\", "q-r.txt ",
     L"\\\\?\\C:\\q-r.txt |\\\\?\\C:\\q-r.txt", L"", L""},
    {"details at d:\\: separator doubled", 'i', "d:\\", "t.txt.",
     L"\\\\?\\D:\\t.txt.|\\\\?\\D:\\t.txt", L"", L""},
};

void eachRule(Check &check, const RuleRow &row) {
    const std::string drives = preparedDrives();
    for (const char *root : {"A:\\\t", "C:\\\t", "D:\\\t"})
        if (drives.find(root) == std::string::npos)
            check.skip("needs the test drives A:, C: and D: that the wine setup prepares");
    // Whatever the row makes or leaves is removed on every way out, and first too, in case an
    // earlier run stopped half-way.
    struct Cleanup {
        std::vector<std::wstring> paths;
        void run() const {
            for (const std::wstring &p : paths)
                removeTree(p.back() == L'\\' ? p.substr(0, p.size() - 1) : p);
        }
        ~Cleanup() { run(); }
    } cleanup{split(row.made + L"|" + row.present)};
    cleanup.run();
    std::string content = "t"; // the first file made holds one byte, the next two
    for (const std::wstring &path : split(row.made)) {
        check.that(make(path, content), "made");
        content += "w";
    }

    quervelle::plain::FilesPlatform platform;
    platform.dir = row.dir;
    platform.name = platform.typed = row.entry;
    platform.listIndex = row.listIndex;
    quervelle::WindowVariables variables;
    quervelle::Handlers handlers(platform, variables);
    row.handler == 'd'   ? handlers.deleteFile()
    : row.handler == 'c' ? handlers.createFolder()
    : row.handler == 'r' ? handlers.runFile()
                         : handlers.fileClicked();

    check.that(row.gone.empty() || !exists(row.gone), "gone: " + utf8(row.gone));
    if (!row.present.empty())
        check.that(row.handler == 'r' ? contentOf(row.present, 30) != "(none)"
                                      : exists(row.present),
                   "there: " + utf8(row.present));
    if (row.handler == 'i')
        check.equal(platform.texts[2], std::string("1"), "the length of the file named");
}

[[maybe_unused]] const bool registered =
    quervelle::plain::addTable("windowsRules", ruleRows, eachRule);

} // namespace
