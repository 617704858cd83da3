#pragma once

// A Platform for the logic tests. It holds the control values the test sets, answers the dialogs
// from queues, records every call in order as a readable line ("Dir1.Path?", "File1.Pattern=*.txt",
// "MsgBox(Effacer le fichier ?,49,Confirmation)") and can be told to fail a given operation.
//
// It also models what the handlers rely on from the real lists: setting Dir1.Path shows the folder
// held for a drive and raises Dir1's Change through onDirChange when the folder differs; a folder
// removed through removeDir is gone, so File1 re-reading it fails, and Dir1.Refresh moves to the
// nearest folder still there (raising Change). As the real directory list does, Dir1 takes a
// folder that is gone and raises Change before it reports that folder.

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
    std::string fileNameValue;
    std::int16_t fileListCountValue = 0;
    std::string pattern = "*.*";
    std::array<std::string, 3> texts;

    // Dir1.Path set to a key shows the folder held for it (a drive's last folder).
    std::map<std::string, std::string> heldFolders;
    // Folders that do not exist (any folder removed by removeDir joins them).
    std::set<std::string> goneFolders;
    // File details by full path; a path missing here is not found.
    std::map<std::string, FileDate> fileDates;
    std::map<std::string, std::int64_t> fileLengths;

    // Answers of the dialogs, taken in order; a dialog with no answer left is a test failure.
    std::deque<int> msgBoxAnswers;
    std::deque<std::string> inputBoxAnswers;

    // Raised when Dir1's folder changes (the test wires it to Handlers::folderChanged).
    std::function<void()> onDirChange;

    bool unloaded = false;

    // Every call so far, in order.
    std::vector<std::string> calls;

    // The first call whose line starts with prefix throws error (after being recorded).
    void failOn(std::string prefix, PlatformError error);

    // The calls, or only the lines starting with one of the prefixes, in order.
    std::vector<std::string> callsStartingWith(const std::vector<std::string> &prefixes) const;

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
    void record(std::string line);
    // Takes folder as Dir1's, raising Change when it differs; then reports it if it is gone.
    void showDirFolder(const std::string &folder);
    std::string parentOf(const std::string &folder) const;

    struct Failure {
        std::string prefix;
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
