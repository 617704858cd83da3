// The Windows drive list on wine's drives and on those its setup prepared (wineprefix.cmake):
// letters in order with upper-case roots, a label shown for the fixed drive only (the floppy and
// the CD have one that must never be read), and a drive that cannot be read listed all the same,
// its error a French sentence.

#include "platform/files/directoryreader.h"
#include "platform/files/drives.h"
#include "platform/files/namelist.h"

#include "support/plain/check.h"
#include "support/windows/winfixture.h"

using quervelle::plain::Check;

namespace {

void drives(Check &check) {
    std::string roots, shown;
    const std::string prepared = quervelle::wintest::preparedDrives();
    for (const quervelle::Drive &drive : quervelle::currentDrives()) {
        roots += drive.root;
        if (prepared.find(drive.root + "\t") != std::string::npos)
            shown += drive.root + "\t" + quervelle::driveText(drive, '\\') + "\n";
    }
    check.that(roots.find("C:\\") != std::string::npos, "C:\\ listed: " + roots);
    for (std::size_t i = 3; i < roots.size(); i += 3)
        check.that(roots[i - 3] < roots[i] && roots[i] >= 'A' && roots[i] <= 'Z',
                   "upper-case letters in order: " + roots);
    if (prepared.empty())
        check.skip("no prepared drives (C:\\quervelle-test-drives.txt, made by the wine setup)");
    check.equal(shown, prepared, "the prepared drives' texts");

    quervelle::NameList names;
    const std::error_code code =
        quervelle::readFolder("G:\\", quervelle::EntryKind::File, nullptr, names);
    const std::string message = quervelle::systemError(code, "G:\\").what();
    check.that(code && code.category() == std::system_category() && message.find("Erreur") != 0 &&
                   message.ends_with(" : G:\\"),
               "G:, without its folder, says why it cannot be read: " + message);
}

[[maybe_unused]] const bool registered = quervelle::plain::addTest("windowsDrives/drives", drives);

} // namespace
