// The texts of the Windows file layer, without a disk: WTF-8 both ways, the "\\?\" path handed
// to the system (or the refusal), and Windows error codes as French sentences; what the tests on
// real files (tst_windowsfiles.cpp) already meet is not repeated here.

#include "platform/files/directoryreader.h"
#include "platform/files/windows/systemerror.h"
#include "platform/files/windows/systempath.h"
#include "platform/files/windows/widetext.h"

#include "support/plain/check.h"

#include <windows.h>

using quervelle::plain::Check;

namespace {

struct TextRow {
    std::string name, wtf8;
    std::wstring units;
    bool refused = false;
};

const std::vector<TextRow> textRows = {
    {"ASCII and accents", "\xC3\xA9t\xC3\xA9.txt", L"\u00E9t\u00E9.txt"},
    {"CJK", "\xE6\x96\x87\xE4\xBB\xB6", L"\u6587\u4EF6"},
    {"emoji: four bytes, one surrogate pair", "\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
    {"unpaired lead surrogate", "a\xED\xA0\x80", {L'a', wchar_t(0xD800)}},
    {"trail then lead stay two", "\xED\xB0\x80\xED\xA0\x80", {wchar_t(0xDC00), wchar_t(0xD800)}},
    {"the replacement character is a character", "\xEF\xBF\xBD", L"\uFFFD"},
    {"invalid byte", "a\xFF", L"", true},
    {"sequence cut short", "\xE6\x96", L"", true},
    {"overlong form", "\xC0\xAF", L"", true},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", L"", true},
    {"a pair written as two surrogates", "\xED\xA0\xBD\xED\xB8\x80", L"", true},
};

void convert(Check &check, const TextRow &row) {
    const auto units = quervelle::widetext::fromWtf8(row.wtf8);
    if (check.equal(units.has_value(), !row.refused, "converted") && units) {
        check.equal(*units, row.units, "UTF-16");
        check.equal(quervelle::widetext::toWtf8(*units), row.wtf8, "back to the same bytes");
    }
}

struct PathRow {
    std::string name, path;
    std::wstring verbatim; // empty: refused as an invalid name
};

const std::vector<PathRow> pathRows = {
    {"slashes, dot and dot-dot steps", "C:/a/./b/../c/", L"\\\\?\\C:\\a\\c"},
    {"network path", "\\\\host\\share\\a", L"\\\\?\\UNC\\host\\share\\a"},
    {"verbatim prefix", "\\\\?\\C:\\a", L""},
    {"control character", "C:\\a\nb", L""},
    {"NUL", std::string("C:\\a\0b", 6), L""},
};

void pathOf(Check &check, const PathRow &row) {
    try {
        check.equal(quervelle::windows::verbatimPath(row.path), row.verbatim, "\\\\?\\ form");
    } catch (const quervelle::PlatformError &error) {
        check.equal(error.kind(),
                    row.verbatim.empty() ? quervelle::ErrorKind::InvalidName
                                         : quervelle::ErrorKind::Other,
                    std::string("refused: ") + error.what());
    }
}

void relative(Check &check) {
    wchar_t current[MAX_PATH + 1] = {};
    std::wstring folder(current, GetCurrentDirectoryW(MAX_PATH + 1, current));
    check.equal(quervelle::windows::systemPath("t.txt ").dos, folder + L"\\t.txt ", "bare name");
    check.equal(quervelle::windows::systemPath("\\x.").dos, folder.substr(0, 2) + L"\\x.",
                "from the root of the current drive");
}

struct ErrorRow {
    std::string name;
    unsigned long code;
    std::string message;
};

const std::vector<ErrorRow> errorRows = {
    {"write-protected", ERROR_WRITE_PROTECT, "Le disque est en lecture seule : C:\\x"},
    {"quota", 1295, "Plus de place sur le disque : C:\\x"},
    {"not a program", ERROR_BAD_EXE_FORMAT, "Ce fichier ne peut pas être exécuté : C:\\x"},
    {"not ready: the system's text", ERROR_NOT_READY,
     "Erreur (" + quervelle::windows::systemText(ERROR_NOT_READY) + ") : C:\\x"},
};

void errorOf(Check &check, const ErrorRow &row) {
    // The folder reader's numbers go through the same table.
    const quervelle::PlatformError error =
        quervelle::systemError(quervelle::windows::codeOf(row.code), "C:\\x");
    check.equal(std::string(error.what()), row.message, "sentence");
    check.equal(error.osError().value(), int(row.code), "the system's code kept");
    check.that(error.osError().category() == std::system_category(),
               "kept as a Windows error code");
    check.that(row.code != ERROR_NOT_READY || row.message.size() > 20, "a text of the system");
}

[[maybe_unused]] const bool registered =
    quervelle::plain::addTable("wtf8", textRows, convert) &&
    quervelle::plain::addTable("systemPath", pathRows, pathOf) &&
    quervelle::plain::addTest("systemPath/relative to the current folder", relative) &&
    quervelle::plain::addTable("windowsErrors", errorRows, errorOf);

} // namespace
