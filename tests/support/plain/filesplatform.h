#pragma once

// A Platform without Qt for the handlers that act on files (delete, create folder, run,
// details): the controls are plain values the test sets, every box is answered OK (the folder
// name typed is `typed`), and the file and process calls are the real ones of the files layer.
// Nothing here raises Change; the handlers tested with it never need it.

#include "platform/files/fileoperations.h"
#include "platform/files/pathtext.h"
#include "platform/platform.h"

#include <array>
#include <string>
#include <vector>

namespace quervelle::plain {

class FilesPlatform final : public Platform {
public:
    std::string dir, name, typed;
    std::int16_t listIndex = 1, listCount = 3;
    std::array<std::string, 3> texts;
    std::vector<std::string> prompts; // every message box, in order

    char separator() const override { return pathtext::pathSeparator(); }
    std::string driveDrive() override { return {}; }
    std::int16_t driveListIndex() override { return listIndex; }
    std::int16_t driveListCount() override { return listCount; }
    std::string dirPath() override { return dir; }
    void setDirPath(const std::string &path) override { dir = path; }
    void dirRefresh() override {}
    std::string filePath() override { return dir; }
    std::string fileName() override { return name; }
    std::int16_t fileListCount() override { return 0; }
    void setFileName(const std::string &text) override { name = text; }
    void setFilePattern(const std::string &) override {}
    void fileRefresh() override {}
    std::string text(TextBox box) override { return texts[std::size_t(box)]; }
    void setText(TextBox box, const std::string &value) override {
        texts[std::size_t(box)] = value;
    }
    int msgBox(const std::string &prompt, int, const std::string &) override {
        prompts.push_back(prompt);
        return AnswerOk;
    }
    std::string inputBox(const std::string &, const std::string &) override { return typed; }
    void killFile(const std::string &path) override { fileops::killFile(path); }
    void makeDir(const std::string &path) override { fileops::makeDir(path); }
    void removeDir(const std::string &path) override { fileops::removeDir(path); }
    FileDate fileDateTime(const std::string &path) override { return fileops::fileDate(path); }
    std::int64_t fileLen(const std::string &path) override { return fileops::fileLength(path); }
    void shell(const std::string &path, int style) override { fileops::startProgram(path, style); }
    std::string dateToText(FileDate date) override {
        return std::to_string(date.secondsSinceEpoch);
    }
    void unloadWindow() override {}
};

} // namespace quervelle::plain
