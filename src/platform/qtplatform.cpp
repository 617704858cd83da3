#include "platform/qtplatform.h"

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/datetext.h"
#include "platform/dialogs.h"
#include "platform/files/fileoperations.h"
#include "platform/files/pathtext.h"

#include <QLineEdit>
#include <QLocale>

#include <algorithm>
#include <limits>
#include <utility>

namespace quervelle {

namespace {

// The controls' counts and positions as the 16-bit values the logic reads; a count beyond
// 32767 reads as 32767 rather than wrapping to a negative number.
std::int16_t to16(int value) {
    return static_cast<std::int16_t>(std::clamp<int>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

} // namespace

QtPlatform::QtPlatform(Controls controls, Dialogs &dialogs, std::function<void()> unload)
    : m_controls(controls), m_dialogs(dialogs), m_unload(std::move(unload)) {}

char QtPlatform::separator() const {
    return pathtext::pathSeparator();
}

std::string QtPlatform::driveDrive() {
    return m_controls.drive1->drive();
}

std::int16_t QtPlatform::driveListIndex() {
    return to16(m_controls.drive1->listIndex());
}

std::int16_t QtPlatform::driveListCount() {
    return to16(m_controls.drive1->listCount());
}

std::string QtPlatform::dirPath() {
    return m_controls.dir1->path();
}

void QtPlatform::setDirPath(const std::string &path) {
    m_controls.dir1->setPath(path);
}

void QtPlatform::dirRefresh() {
    m_controls.dir1->refresh();
}

std::string QtPlatform::filePath() {
    return m_controls.file1->path();
}

std::string QtPlatform::fileName() {
    return m_controls.file1->fileName();
}

std::int16_t QtPlatform::fileListCount() {
    return to16(m_controls.file1->listCount());
}

void QtPlatform::setFileName(const std::string &text) {
    m_controls.file1->setFileName(text);
}

void QtPlatform::setFilePattern(const std::string &pattern) {
    m_controls.file1->setPattern(pattern);
}

void QtPlatform::fileRefresh() {
    m_controls.file1->refresh();
}

QLineEdit *QtPlatform::textBox(TextBox box) const {
    switch (box) {
    case TextBox::Text1:
        return m_controls.text1;
    case TextBox::Text2:
        return m_controls.text2;
    case TextBox::Text3:
        return m_controls.text3;
    }
    return nullptr;
}

std::string QtPlatform::text(TextBox box) {
    return textBox(box)->text().toUtf8().toStdString();
}

void QtPlatform::setText(TextBox box, const std::string &text) {
    QLineEdit *edit = textBox(box);
    edit->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    // Shown from its first character, as the system's text box shows what a program writes:
    // the cursor Qt leaves at the end would scroll a text as wide as its box by a pixel.
    edit->setCursorPosition(0);
}

int QtPlatform::msgBox(const std::string &prompt, int buttons, const std::string &title) {
    return m_dialogs.msgBox(prompt, buttons, title);
}

std::string QtPlatform::inputBox(const std::string &prompt, const std::string &title) {
    return m_dialogs.inputBox(prompt, title);
}

void QtPlatform::killFile(const std::string &path) {
    fileops::killFile(path);
}

void QtPlatform::makeDir(const std::string &path) {
    fileops::makeDir(path);
}

void QtPlatform::removeDir(const std::string &path) {
    fileops::removeDir(path);
}

FileDate QtPlatform::fileDateTime(const std::string &path) {
    return fileops::fileDate(path);
}

std::int64_t QtPlatform::fileLen(const std::string &path) {
    return fileops::fileLength(path);
}

void QtPlatform::shell(const std::string &path, int windowStyle) {
    fileops::startProgram(path, windowStyle);
}

std::string QtPlatform::dateToText(FileDate date) {
    return dateText(date, QLocale::system());
}

void QtPlatform::unloadWindow() {
    if (m_unload)
        m_unload();
}

} // namespace quervelle
