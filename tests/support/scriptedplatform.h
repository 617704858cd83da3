#pragma once

// A Platform for the logic tests. It holds the control values the test sets, answers the dialogs
// from queues and keeps what a user would see: the boxes shown, the folder each list shows, the
// names the file list shows, the files and folders on a small disk of its own, the programs
// started. It can be told to fail a given step.
//
// It behaves as the real lists do (tests/platform/tst_listcontract.cpp runs the same cases
// against both): Dir1.Path refuses "", takes a relative path inside the folder shown and a
// drive's text as that drive's root, shows the folder held for a drive (the last one shown on
// it) and raises Change through onDirChange when the folder differs; Dir1 takes a folder that is
// gone and raises Change before it reports it; Dir1.Refresh moves to the nearest folder still
// there, never above the root of its drive. File1 re-reads its folder when given a folder, a
// pattern or a refresh, and reports a folder that is gone; killFile removes the file.

#include "logic/handlers.h"
#include "logic/windowvariables.h"
#include "platform/files/errors.h"
#include "platform/platform.h"
#include "support/dialogscript.h"
#include "window/wiring.h"

#include <QByteArrayList>

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quervelle::test {

class ScriptedPlatform final : public Platform {
public:
    // Control values, set freely by the test.
    char sep = '\\';
    std::string drive;
    std::int16_t listIndex = 1;
    std::int16_t listCount = 3;
    std::string dirPathValue;
    std::string filePathValue;
    std::string fileNameValue; // File1's selection
    std::string pattern = "*.*";
    std::array<std::string, 3> texts;

    // The drives' roots ("C:\\", "/media/usb"). A folder shown on one of them is held for it.
    std::vector<std::string> driveRoots;
    // Dir1.Path set to a drive's root shows the folder held for it (the last one shown there).
    std::map<std::string, std::string> heldFolders;
    // Folders that do not exist (any folder removed by removeDir joins them); every other
    // folder does.
    std::set<std::string> goneFolders;
    // Folders made by makeDir, in order.
    std::vector<std::string> madeFolders;
    // The files on the disk, by full path.
    std::set<std::string> files;
    // File details by full path; a path missing here is not found.
    std::map<std::string, FileDate> fileDates;
    std::map<std::string, std::int64_t> fileLengths;

    // The names File1 shows: the files of its folder matching its pattern, as last read.
    std::vector<std::string> listedNames;
    // The sub-folders Dir1 shows (of the folders madeFolders holds), as last read.
    std::vector<std::string> listedFolders;
    // What was asked of the file system and of program start (done or refused), in order, with
    // the exact path given:
    // "killFile(path)", "makeDir(path)", "removeDir(path)", "shell(path,style)".
    std::vector<std::string> operations;

    // Answers of the dialogs, taken in order; a dialog with no answer left is a test failure.
    std::deque<int> msgBoxAnswers;
    std::deque<std::string> inputBoxAnswers;
    // The boxes shown, in order: "MsgBox(prompt,buttons,title)", "InputBox(prompt,title)".
    std::vector<std::string> boxes;

    // Raised when Dir1's folder changes (the test wires it to Handlers::folderChanged).
    std::function<void()> onDirChange;

    bool unloaded = false;

    // The first step named so ("Dir1.Path=", "Dir1.Refresh", "File1.FileName=", "File1.Pattern=",
    // "File1.Refresh", "killFile", "makeDir", "removeDir", "fileDateTime", "fileLen", "shell")
    // throws error instead of doing anything.
    void failOn(std::string step, PlatformError error);

    // Files in folder, each an empty file of that name; the folder is then listed.
    void addFiles(const std::string &folder, const std::vector<std::string> &names);
    // Both lists show folder, read as the real lists read it.
    void showInBothLists(const std::string &folder);

    char separator() const override { return sep; }
    std::string driveDrive() override;
    std::int16_t driveListIndex() override;
    std::int16_t driveListCount() override;
    std::string dirPath() override;
    void setDirPath(const std::string &path) override;
    void dirRefresh() override;
    std::string filePath() override;
    std::string fileName() override;
    std::int16_t fileListCount() override;
    void setFileName(const std::string &text) override;
    void setFilePattern(const std::string &newPattern) override;
    void fileRefresh() override;
    std::string text(TextBox box) override;
    void setText(TextBox box, const std::string &value) override;
    int msgBox(const std::string &prompt, int buttons, const std::string &title) override;
    std::string inputBox(const std::string &prompt, const std::string &title) override;
    void killFile(const std::string &path) override;
    void makeDir(const std::string &path) override;
    void removeDir(const std::string &path) override;
    FileDate fileDateTime(const std::string &path) override;
    std::int64_t fileLen(const std::string &path) override;
    void shell(const std::string &path, int windowStyle) override;
    std::string dateToText(FileDate date) override;
    void unloadWindow() override;

    // The text dateToText gives for a date.
    static std::string dateText(FileDate date);

private:
    void step(const std::string &name);
    // Takes folder as Dir1's, raising Change when it differs; then reports it if it is gone.
    void showDirFolder(const std::string &folder);
    // Takes folder as File1's and lists it; reports it if it is gone.
    void loadFileList(const std::string &folder);
    void loadDirList();
    std::string rootOf(const std::string &folder) const;
    bool isGone(const std::string &folder) const; // it or a folder above it is gone
    std::vector<std::string> knownRoots() const;  // driveRoots and the roots folders are held for

    struct Failure {
        std::string step;
        PlatformError error;
    };
    std::optional<Failure> m_failure;
};

// The handlers of one window over a scripted platform, with Dir1's Change wired to the
// folder-changed handler as the window wires it: a nested event, in its own error boundary.
struct ScriptedWindow {
    ScriptedPlatform platform;
    WindowVariables vars;
    Handlers handlers{platform, vars};
    DialogScript dialogs; // shows the errors that end an event; platform answers the other boxes
    EventBoundary boundary{dialogs};

    ScriptedWindow() {
        platform.onDirChange = [this] { runEvent(&Handlers::folderChanged); };
    }
    ScriptedWindow(const ScriptedWindow &) = delete;
    ScriptedWindow &operator=(const ScriptedWindow &) = delete;

    // Runs a handler as the window runs an event; false when an error ended it.
    bool runEvent(void (Handlers::*handler)()) {
        return boundary.run([this, handler] { (handlers.*handler)(); });
    }
};

// Lines as byte arrays, for QCOMPARE with readable messages (bytes kept exactly).
QByteArrayList lines(const std::vector<std::string> &texts);

// "empty", an answer code ("1") or a text ("text:Nouveau").
QByteArray describe(const WindowValue &value);

// Runs one handler and tells how it ended: "" when it returned, "overflow" for OverflowError,
// or the platform error's message.
QByteArray runHandler(Handlers &handlers, void (Handlers::*handler)());

} // namespace quervelle::test
