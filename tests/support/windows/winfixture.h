#pragma once

// Real files for the Windows tests, made and read with the system's own calls (never with the
// file operations under test), on "\\?\" paths so that every name is taken as written.

#include <string>
#include <string_view>
#include <vector>

namespace quervelle::wintest {

// A test text as UTF-16, and back (through widetext, checked on its own in tst_conversions).
std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view units);

// A fresh folder in the system's temporary folder, removed with all it holds when it goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::string &path() const { return m_path; }    // "C:\users\...\Temp\quervelle-12-3"
    std::wstring at(std::wstring_view inside = {}) const; // its "\\?\" form, or of a path in it

private:
    std::string m_path;
};

// Makes what verbatim names: a folder when it ends with "\", a copy of the probe program (see
// probe.cpp) when its name holds ".exe" or ".com" in any case, otherwise a file holding content.
// False, with the system's error code in lastError(), when it could not.
bool make(std::wstring verbatim, std::string_view content = "x");
unsigned long lastError();
void removeTree(const std::wstring &verbatim);

// The names in a folder, sorted and joined by "|" ("a|b|t.txt "); "." and ".." left out.
std::wstring namesIn(const std::wstring &verbatimFolder);
std::vector<std::wstring> split(const std::wstring &joined); // the parts between the "|"

bool exists(const std::wstring &verbatim);
// The bytes of a file once it exists, waiting up to seconds for it; "(none)" if it never does.
std::string contentOf(const std::wstring &verbatim, int seconds = 0);

// The drives the wine setup prepared (tests/windows/wineprefix.cmake), one "root<TAB>text"
// line each, as in C:\quervelle-test-drives.txt; empty where there is none.
std::string preparedDrives();

bool underWine();

} // namespace quervelle::wintest
