#include "support/scriptedplatform.h"

#include <stdexcept>

namespace quervelle::test {

namespace {

std::size_t boxIndex(TextBox box) {
    return static_cast<std::size_t>(box);
}

std::string boxName(TextBox box) {
    return "Text" + std::to_string(boxIndex(box) + 1);
}

} // namespace

void ScriptedPlatform::failOn(std::string prefix, PlatformError error) {
    m_failure = Failure{std::move(prefix), std::move(error)};
}

std::vector<std::string>
ScriptedPlatform::callsStartingWith(const std::vector<std::string> &prefixes) const {
    std::vector<std::string> picked;
    for (const std::string &line : calls) {
        for (const std::string &prefix : prefixes) {
            if (line.starts_with(prefix)) {
                picked.push_back(line);
                break;
            }
        }
    }
    return picked;
}

void ScriptedPlatform::record(std::string line) {
    calls.push_back(line);
    if (m_failure && line.starts_with(m_failure->prefix)) {
        const PlatformError error = m_failure->error;
        m_failure.reset();
        throw error;
    }
}

std::string ScriptedPlatform::parentOf(const std::string &folder) const {
    const std::size_t at = folder.find_last_of(sep);
    if (at == std::string::npos || at + 1 == folder.size())
        return folder; // a root, or no separator at all
    std::string parent = folder.substr(0, at);
    if (parent.empty() || (parent.size() == 2 && parent[1] == ':'))
        parent.push_back(sep); // the parent is a root: "C:\" or "/"
    return parent;
}

std::string ScriptedPlatform::driveDrive() {
    record("Drive1.Drive?");
    return drive;
}

std::int16_t ScriptedPlatform::driveListIndex() {
    record("Drive1.ListIndex?");
    return listIndex;
}

std::int16_t ScriptedPlatform::driveListCount() {
    record("Drive1.ListCount?");
    return listCount;
}

std::string ScriptedPlatform::dirPath() {
    record("Dir1.Path?");
    return dirPathValue;
}

void ScriptedPlatform::setDirPath(const std::string &path) {
    record("Dir1.Path=" + path);
    const auto held = heldFolders.find(path);
    showDirFolder(held != heldFolders.end() ? held->second : path);
}

void ScriptedPlatform::showDirFolder(const std::string &folder) {
    if (folder != dirPathValue) {
        dirPathValue = folder;
        if (onDirChange)
            onDirChange();
    }
    if (goneFolders.contains(folder))
        throw PlatformError(ErrorKind::NotFound, folder);
}

void ScriptedPlatform::dirRefresh() {
    record("Dir1.Refresh");
    std::string shown = dirPathValue;
    while (goneFolders.contains(shown)) {
        const std::string parent = parentOf(shown);
        if (parent == shown)
            break;
        shown = parent;
    }
    showDirFolder(shown);
}

std::string ScriptedPlatform::filePath() {
    record("File1.Path?");
    return filePathValue;
}

std::string ScriptedPlatform::fileName() {
    record("File1.FileName?");
    return fileNameValue;
}

std::int16_t ScriptedPlatform::fileListCount() {
    record("File1.ListCount?");
    return fileListCountValue;
}

void ScriptedPlatform::setFileName(const std::string &text) {
    record("File1.FileName=" + text);
    // Only folder paths are given here by the handlers: the list takes the folder, even one
    // that is gone, and then reports it.
    filePathValue = text;
    fileNameValue.clear();
    if (goneFolders.contains(text))
        throw PlatformError(ErrorKind::NotFound, text);
}

void ScriptedPlatform::setFilePattern(const std::string &newPattern) {
    record("File1.Pattern=" + newPattern);
    pattern = newPattern;
    fileNameValue.clear();
}

void ScriptedPlatform::fileRefresh() {
    record("File1.Refresh");
    fileNameValue.clear();
    if (goneFolders.contains(filePathValue))
        throw PlatformError(ErrorKind::NotFound, filePathValue);
}

std::string ScriptedPlatform::text(TextBox box) {
    record(boxName(box) + ".Text?");
    return texts[boxIndex(box)];
}

void ScriptedPlatform::setText(TextBox box, const std::string &value) {
    record(boxName(box) + ".Text=" + value);
    texts[boxIndex(box)] = value;
}

int ScriptedPlatform::msgBox(const std::string &prompt, int buttons, const std::string &title) {
    record("MsgBox(" + prompt + "," + std::to_string(buttons) + "," + title + ")");
    if (msgBoxAnswers.empty())
        throw std::logic_error("unexpected message box: " + prompt);
    const int answer = msgBoxAnswers.front();
    msgBoxAnswers.pop_front();
    return answer;
}

std::string ScriptedPlatform::inputBox(const std::string &prompt, const std::string &title) {
    record("InputBox(" + prompt + "," + title + ")");
    if (inputBoxAnswers.empty())
        throw std::logic_error("unexpected input box: " + prompt);
    std::string answer = inputBoxAnswers.front();
    inputBoxAnswers.pop_front();
    return answer;
}

void ScriptedPlatform::killFile(const std::string &path) {
    record("killFile(" + path + ")");
}

void ScriptedPlatform::makeDir(const std::string &path) {
    record("makeDir(" + path + ")");
    goneFolders.erase(path);
}

void ScriptedPlatform::removeDir(const std::string &path) {
    record("removeDir(" + path + ")");
    goneFolders.insert(path);
}

FileDate ScriptedPlatform::fileDateTime(const std::string &path) {
    record("fileDateTime(" + path + ")");
    const auto found = fileDates.find(path);
    if (found == fileDates.end())
        throw PlatformError(ErrorKind::NotFound, path);
    return found->second;
}

std::int64_t ScriptedPlatform::fileLen(const std::string &path) {
    record("fileLen(" + path + ")");
    const auto found = fileLengths.find(path);
    if (found == fileLengths.end())
        throw PlatformError(ErrorKind::NotFound, path);
    return found->second;
}

void ScriptedPlatform::shell(const std::string &path, int windowStyle) {
    record("shell(" + path + "," + std::to_string(windowStyle) + ")");
}

std::string ScriptedPlatform::dateToText(FileDate date) {
    record("dateToText(" + std::to_string(date.secondsSinceEpoch) + ")");
    return dateText(date);
}

std::string ScriptedPlatform::dateText(FileDate date) {
    return "date " + std::to_string(date.secondsSinceEpoch);
}

void ScriptedPlatform::unloadWindow() {
    record("unloadWindow");
    unloaded = true;
}

QByteArrayList lines(const std::vector<std::string> &texts) {
    QByteArrayList list;
    for (const std::string &text : texts)
        list.append(QByteArray::fromStdString(text));
    return list;
}

QByteArray describe(const WindowValue &value) {
    if (const int *code = std::get_if<int>(&value))
        return QByteArray::number(*code);
    if (const std::string *text = std::get_if<std::string>(&value))
        return "text:" + QByteArray::fromStdString(*text);
    return "empty";
}

QByteArray runHandler(Handlers &handlers, void (Handlers::*handler)()) {
    try {
        (handlers.*handler)();
    } catch (const OverflowError &) {
        return "overflow";
    } catch (const PlatformError &error) {
        return QByteArray(error.what());
    }
    return {};
}

} // namespace quervelle::test
