#pragma once

// The whole program for tests on real folders: the Quervelle window itself (its real lists,
// QtPlatform, handlers and event dispatch), shown offscreen, with only its dialogs answered by
// a DialogScript. Names are selected and buttons pressed with real mouse clicks, so every
// command runs exactly as it does for a user, inside the window's own error boundary.
//
// The drive list is replaced by three drives: "/" first, then the drive the test names (a
// temporary folder or a mount made by the test), then a last one that the program takes as
// the CD-ROM drive. The middle drive may be written to and shows file details.

#include "support/fsfixture.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;

namespace quervelle {
class DirListBox;
class DriveListBox;
class FileListBox;
class Quervelle;
} // namespace quervelle

namespace quervelle::test {

class DialogScript;

class StackFixture {
public:
    StackFixture();
    ~StackFixture();
    StackFixture(const StackFixture &) = delete;
    StackFixture &operator=(const StackFixture &) = delete;

    Quervelle &window() { return *m_window; }
    DialogScript &dialogs() { return *m_dialogs; }
    DriveListBox &drive1() const;
    DirListBox &dir1() const;
    FileListBox &file1() const;
    QLineEdit &text(int number) const;     // Text1 to Text3
    QPushButton &button(int number) const; // Command1 to Command6

    // "/", then driveRoot, then a last drive standing for the CD-ROM drive: lastDrive, or a
    // mount path that exists nowhere.
    void useDrive(const std::string &driveRoot, const std::string &lastDrive = {});

    // Selects the drive of folder and shows folder in the lists, as the program does when it
    // sets Dir1.Path: Dir1's Change runs through the window and moves File1. The messages of
    // the errors reported meanwhile are returned.
    std::vector<std::string> showFolder(const std::string &folder);

    // Opens Drive1 as a user does, which reads the drives again, and picks the drive with that
    // mount path (Drive1's Change runs through the window). False when it is not listed.
    bool chooseDrive(const std::string &mountPath);
    // Opens Drive1 and closes it again without choosing.
    void openDriveList();
    // Double-clicks the row of Dir1 that shows text, as a user opens a folder. False when no
    // row shows it.
    bool openFolder(const std::string &text);

    // The exact bytes of every name File1 lists, in its order.
    std::vector<std::string> listed() const;
    // File1's row for exactly these bytes, or -1.
    int rowOf(const std::string &name) const;
    // The text File1 shows for that row.
    std::string shownText(int row) const;

    // Clicks the row of name with the mouse (File1's Click runs the details). False when the
    // name is not listed or the click did not select it.
    bool clickName(const std::string &name);

    // Presses a button with the mouse.
    void press(int command);

    // The commands, each answered as said; each returns the uncaught-error messages it caused.
    std::vector<std::string> kill();                                 // Kill, confirmed with OK
    std::vector<std::string> createFolder(const std::string &typed); // Créer dossier, that name
    std::vector<std::string> removeFolder();                         // RmDir, confirmed with OK
    std::vector<std::string> run();                                  // Exécuter
    std::vector<std::string> applyPattern(const std::string &typed); // Text1, then OK

    // The uncaught-error messages shown since the last call, which forgets them.
    std::vector<std::string> takeErrors();
    // The whole log of boxes shown since the last call, one line each, which forgets it.
    std::vector<std::string> takeLog();
    // Boxes that found no scripted answer, or answers left over, since the fixture was made.
    bool scriptKeptInStep() const;

private:
    DialogScript *m_dialogs = nullptr; // owned by the window
    std::unique_ptr<Quervelle> m_window;
    std::size_t m_errorsSeen = 0;
    std::size_t m_logSeen = 0;
};

// Sets the time zone to UTC and the user's regional settings to French (France), for tests
// that read dates. Call at the top of main, before the application object is made.
void useFrenchRegionAndUtc();

// What differs between after and before less the entries removed (relative paths); empty when
// after is exactly that.
QString diffExceptRemoved(const FsSnapshot &before, const FsSnapshot &after,
                          const std::vector<std::string> &removed);

// Texts one per line, their bytes shown readably, for failure messages.
QString showLines(const std::vector<std::string> &lines);

} // namespace quervelle::test
