// The texts of a drive by the Linux ('/') and Windows ('\\') rules, on every system: what
// Drive1.Drive reads, the line the list shows, and the root the directory list takes for a text.
// On this system: the drive the window falls back to when the drives cannot be read is a root the
// drive list shows.

#include "platform/files/drives.h"
#include "platform/files/pathtext.h"

#include "support/plain/check.h"

using quervelle::plain::Check;

namespace {

struct TextRow {
    std::string name;
    char separator;
    quervelle::Drive drive;
    std::string text, line;
};

const std::vector<TextRow> textRows = {
    {"linux root", '/', {"/", ""}, "/", "/"},
    {"linux labelled disk", '/', {"/media/cle", "Photos"}, "/media/cle", "/media/cle [Photos]"},
    {"windows fixed drive with a label",
     '\\',
     {"C:\\", "Syst\xC3\xA8me"},
     "c: [Syst\xC3\xA8me]",
     "c: [Syst\xC3\xA8me]"},
    {"windows drive without a label", '\\', {"D:\\", ""}, "d:", "d:"},
};

void textOf(Check &check, const TextRow &row) {
    check.equal(quervelle::driveText(row.drive, row.separator), row.text, "Drive1.Drive");
    check.equal(quervelle::driveLine(row.drive, row.separator), row.line, "line shown");
}

struct RootRow {
    std::string name;
    char separator;
    std::string text, root; // root empty: the text names no drive
};

const std::vector<RootRow> rootRows = {
    {"letter and colon", '\\', "d:", "D:\\"},
    {"drive text with its label", '\\', "c: [Syst\xC3\xA8me]", "C:\\"},
    {"a root is a folder", '\\', "C:\\", ""},
    {"a full path is a folder", '\\', "c:\\temp", ""},
    {"a drive-relative path is a folder", '\\', "c:temp", ""},
    {"no letter", '\\', "1:", ""},
    {"linux texts name no drive", '/', "c:", ""},
};

void rootOf(Check &check, const RootRow &row) {
    check.equal(quervelle::pathtext::driveRootNamed(row.text, row.separator).value_or(""), row.root,
                "root");
}

void systemDriveListed(Check &check) {
    const std::string root = quervelle::systemDrive().root;
    check.that(quervelle::pathtext::isDriveRoot(root, quervelle::pathtext::pathSeparator()),
               "a drive root: " + root);
    std::string roots;
    for (const quervelle::Drive &drive : quervelle::currentDrives())
        roots += drive.root + " ";
    check.that(roots.find(root + " ") != std::string::npos, root + " among " + roots);
}

[[maybe_unused]] const bool registered =
    quervelle::plain::addTable("driveText", textRows, textOf) &&
    quervelle::plain::addTable("driveRoot", rootRows, rootOf) &&
    quervelle::plain::addTest("systemDrive/listed", systemDriveListed);

} // namespace
