#pragma once

// The operations the browser logic may use, and nothing else: the controls of the window
// (drive list, directory list, file list, the three text boxes), the modal dialogs, the
// file-system calls and program start. The logic in src/logic/ is written against this class
// only; src/platform/qtplatform.h implements it over the real Qt widgets and the file system,
// and the logic tests drive it with a scripted double.
//
// Texts: path texts and file names are std::string holding the platform's own path bytes
// (raw bytes on Linux, UTF-8 on Windows), never re-encoded. Every other text (text boxes,
// prompts, titles) is UTF-8. The 16-bit values of the controls are int16_t.
//
// Failures: an operation that fails throws PlatformError (errors.h); it never returns a
// half-done result silently.

#include "platform/filedate.h"

#include <cstdint>
#include <string>

namespace quervelle {

// The three text boxes of the window.
enum class TextBox { Text1, Text2, Text3 };

// Answer codes of a message box.
inline constexpr int AnswerOk = 1;
inline constexpr int AnswerCancel = 2;
inline constexpr int AnswerRetry = 4;

// Button codes of a message box: the exclamation icon with OK; OK and Cancel; Retry and Cancel.
inline constexpr int ButtonsExclamationOk = 48;
inline constexpr int ButtonsExclamationOkCancel = 49;
inline constexpr int ButtonsExclamationRetryCancel = 53;

// Window style for program start: the started window opens minimized and takes the focus.
inline constexpr int WindowStyleMinimizedFocus = 2;

class Platform {
public:
    virtual ~Platform() = default;

    // The separator between path components: '\\' on Windows, '/' elsewhere.
    virtual char separator() const = 0;

    // Drive1
    virtual std::string driveDrive() = 0; // Drive1.Drive: names the selected drive
    virtual std::int16_t driveListIndex() = 0;
    virtual std::int16_t driveListCount() = 0;

    // Dir1
    virtual std::string dirPath() = 0;
    virtual void setDirPath(const std::string &path) = 0; // raises Dir1's Change at once
    virtual void dirRefresh() = 0;

    // File1
    virtual std::string filePath() = 0;
    virtual std::string fileName() = 0;       // the selected name, no folder; empty when none
    virtual std::int16_t fileListCount() = 0; // saturates at 32767
    virtual void setFileName(const std::string &text) = 0;       // a folder path becomes File1.Path
    virtual void setFilePattern(const std::string &pattern) = 0; // the list re-reads its folder
    virtual void fileRefresh() = 0;

    // Text1 to Text3
    virtual std::string text(TextBox box) = 0;
    virtual void setText(TextBox box, const std::string &text) = 0;

    // Dialogs, modal: the handler waits inside them.
    virtual int msgBox(const std::string &prompt, int buttons, const std::string &title) = 0;
    virtual std::string inputBox(const std::string &prompt, const std::string &title) = 0;

    // Files and processes, each given a path text.
    virtual void killFile(const std::string &path) = 0;
    virtual void makeDir(const std::string &path) = 0;
    virtual void removeDir(const std::string &path) = 0;
    virtual FileDate fileDateTime(const std::string &path) = 0;
    virtual std::int64_t fileLen(const std::string &path) = 0;
    virtual void shell(const std::string &path, int windowStyle) = 0;

    // A date as text in the user's regional format.
    virtual std::string dateToText(FileDate date) = 0;

    // Unloads the window; with the only window gone the program ends.
    virtual void unloadWindow() = 0;
};

} // namespace quervelle
