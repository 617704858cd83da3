#pragma once

#include "platform/platform.h"

#include <functional>

class QLineEdit;

namespace quervelle {

class Dialogs;
class DirListBox;
class DriveListBox;
class FileListBox;

// The controls of the window that the platform operations reach.
struct Controls {
    DriveListBox *drive1 = nullptr;
    DirListBox *dir1 = nullptr;
    FileListBox *file1 = nullptr;
    QLineEdit *text1 = nullptr;
    QLineEdit *text2 = nullptr;
    QLineEdit *text3 = nullptr;
};

// Platform over the real Qt widgets, the file system and program start.
class QtPlatform final : public Platform {
public:
    QtPlatform(Controls controls, Dialogs &dialogs, std::function<void()> unload);

    char separator() const override;
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
    void setFilePattern(const std::string &pattern) override;
    void fileRefresh() override;
    std::string text(TextBox box) override;
    void setText(TextBox box, const std::string &text) override;
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

private:
    QLineEdit *textBox(TextBox box) const;

    Controls m_controls;
    Dialogs &m_dialogs;
    std::function<void()> m_unload;
};

} // namespace quervelle
