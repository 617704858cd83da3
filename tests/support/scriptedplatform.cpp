#include "support/scriptedplatform.h"

#include "platform/files/pathtext.h"
#include "platform/files/pattern.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace quervelle::test {

namespace {

std::size_t boxIndex(TextBox box) {
    return static_cast<std::size_t>(box);
}

} // namespace

void ScriptedPlatform::failOn(std::string stepName, PlatformError error) {
    m_failure = Failure{std::move(stepName), std::move(error)};
}

void ScriptedPlatform::step(const std::string &name) {
    if (m_failure && m_failure->step == name) {
        const PlatformError error = m_failure->error;
        m_failure.reset();
        throw error;
    }
}

void ScriptedPlatform::addFiles(const std::string &folder, const std::vector<std::string> &names) {
    for (const std::string &name : names)
        files.insert(pathtext::normalized(pathtext::join(folder, name, sep), sep));
}

void ScriptedPlatform::showInBothLists(const std::string &folder) {
    dirPathValue = folder;
    loadDirList();
    loadFileList(folder);
}

bool ScriptedPlatform::isGone(const std::string &folder) const {
    const std::string path = pathtext::normalized(folder, sep);
    return std::any_of(goneFolders.begin(), goneFolders.end(), [&](const std::string &gone) {
        return pathtext::liesUnder(path, pathtext::normalized(gone, sep), sep);
    });
}

std::vector<std::string> ScriptedPlatform::knownRoots() const {
    std::vector<std::string> roots = driveRoots;
    for (const auto &[root, folder] : heldFolders)
        roots.push_back(root);
    return roots;
}

std::string ScriptedPlatform::rootOf(const std::string &folder) const {
    return pathtext::driveRootOf(knownRoots(), folder, sep);
}

std::string ScriptedPlatform::driveDrive() {
    return drive;
}

std::int16_t ScriptedPlatform::driveListIndex() {
    return listIndex;
}

std::int16_t ScriptedPlatform::driveListCount() {
    return listCount;
}

std::string ScriptedPlatform::dirPath() {
    return dirPathValue;
}

void ScriptedPlatform::setDirPath(const std::string &path) {
    step("Dir1.Path=");
    if (path.empty())
        throw PlatformError(ErrorKind::NotFound, path);
    const std::optional<std::string> driveRoot = pathtext::driveRootNamed(path, sep);
    std::string target = driveRoot
                             ? *driveRoot
                             : pathtext::normalized(pathtext::isAbsolutePath(path, sep)
                                                        ? path
                                                        : pathtext::join(dirPathValue, path, sep),
                                                    sep);
    const std::vector<std::string> roots = knownRoots();
    if (std::find(roots.begin(), roots.end(), target) != roots.end()) {
        const std::string root = target;
        const auto held = heldFolders.find(root);
        if (held != heldFolders.end() && pathtext::liesUnder(held->second, root, sep))
            target = held->second;
        while (target != root && (isGone(target) || rootOf(target) != root))
            target = pathtext::parentOf(target, sep);
    }
    showDirFolder(target);
}

void ScriptedPlatform::showDirFolder(const std::string &folder) {
    if (folder == dirPathValue)
        return;
    dirPathValue = folder;
    const std::vector<std::string> roots = knownRoots();
    if (pathtext::longestRootHolding(roots, folder, sep))
        heldFolders[rootOf(folder)] = folder;
    loadDirList();
    if (onDirChange)
        onDirChange();
    if (isGone(folder))
        throw PlatformError(ErrorKind::NotFound, folder);
}

void ScriptedPlatform::loadDirList() {
    listedFolders.clear();
    if (isGone(dirPathValue))
        return;
    const std::string shown = pathtext::normalized(dirPathValue, sep);
    for (const std::string &folder : madeFolders) {
        if (!isGone(folder) && pathtext::parentOf(folder, sep) == shown)
            listedFolders.push_back(folder.substr(folder.find_last_of(sep) + 1));
    }
}

void ScriptedPlatform::dirRefresh() {
    step("Dir1.Refresh");
    if (dirPathValue.empty())
        return;
    const std::string root = rootOf(dirPathValue);
    std::string shown = dirPathValue;
    while (shown != root && isGone(shown) && pathtext::liesUnder(shown, root, sep))
        shown = pathtext::parentOf(shown, sep);
    if (shown != dirPathValue) {
        showDirFolder(shown);
        return;
    }
    loadDirList();
    if (isGone(shown))
        throw PlatformError(ErrorKind::NotFound, shown);
}

std::string ScriptedPlatform::filePath() {
    return filePathValue;
}

std::string ScriptedPlatform::fileName() {
    return fileNameValue;
}

std::int16_t ScriptedPlatform::fileListCount() {
    constexpr std::size_t most = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::min(listedNames.size(), most));
}

void ScriptedPlatform::loadFileList(const std::string &folder) {
    filePathValue = folder;
    fileNameValue.clear();
    listedNames.clear();
    if (isGone(folder))
        throw PlatformError(ErrorKind::NotFound, folder);
    const std::string shown = pathtext::normalized(folder, sep);
    const PatternMatcher matcher(pattern);
    for (const std::string &file : files) {
        const std::string name = file.substr(file.find_last_of(sep) + 1);
        if (pathtext::parentOf(file, sep) == shown && matcher.matches(name))
            listedNames.push_back(name);
    }
}

// A bare name selects it in the list; a file's path takes its folder and selects it; any other
// path is taken as a folder.
void ScriptedPlatform::setFileName(const std::string &text) {
    step("File1.FileName=");
    if (text.find(sep) == std::string::npos) {
        if (std::find(listedNames.begin(), listedNames.end(), text) == listedNames.end() ||
            text.empty())
            throw PlatformError(ErrorKind::NotFound, text);
        fileNameValue = text;
        return;
    }
    const std::string path =
        pathtext::isAbsolutePath(text, sep) ? text : pathtext::join(filePathValue, text, sep);
    const std::string file = pathtext::normalized(path, sep);
    if (files.contains(file)) {
        const std::string name = file.substr(file.find_last_of(sep) + 1);
        loadFileList(pathtext::parentOf(file, sep));
        if (std::find(listedNames.begin(), listedNames.end(), name) != listedNames.end())
            fileNameValue = name;
        return;
    }
    loadFileList(path);
}

void ScriptedPlatform::setFilePattern(const std::string &newPattern) {
    step("File1.Pattern=");
    pattern = newPattern;
    if (!filePathValue.empty())
        loadFileList(filePathValue);
}

void ScriptedPlatform::fileRefresh() {
    step("File1.Refresh");
    if (!filePathValue.empty())
        loadFileList(filePathValue);
}

std::string ScriptedPlatform::text(TextBox box) {
    return texts[boxIndex(box)];
}

void ScriptedPlatform::setText(TextBox box, const std::string &value) {
    texts[boxIndex(box)] = value;
}

int ScriptedPlatform::msgBox(const std::string &prompt, int buttons, const std::string &title) {
    boxes.push_back("MsgBox(" + prompt + "," + std::to_string(buttons) + "," + title + ")");
    if (msgBoxAnswers.empty())
        throw std::logic_error("unexpected message box: " + prompt);
    const int answer = msgBoxAnswers.front();
    msgBoxAnswers.pop_front();
    return answer;
}

std::string ScriptedPlatform::inputBox(const std::string &prompt, const std::string &title) {
    boxes.push_back("InputBox(" + prompt + "," + title + ")");
    if (inputBoxAnswers.empty())
        throw std::logic_error("unexpected input box: " + prompt);
    std::string answer = inputBoxAnswers.front();
    inputBoxAnswers.pop_front();
    return answer;
}

void ScriptedPlatform::killFile(const std::string &path) {
    operations.push_back("killFile(" + path + ")");
    step("killFile");
    if (files.erase(pathtext::normalized(path, sep)) == 0)
        throw PlatformError(ErrorKind::NotFound, path);
}

void ScriptedPlatform::makeDir(const std::string &path) {
    operations.push_back("makeDir(" + path + ")");
    step("makeDir");
    const std::string folder = pathtext::normalized(path, sep);
    if (isGone(pathtext::parentOf(folder, sep)))
        throw PlatformError(ErrorKind::NotFound, path);
    if (files.contains(folder) ||
        std::find(madeFolders.begin(), madeFolders.end(), folder) != madeFolders.end())
        throw PlatformError(ErrorKind::AlreadyExists, path);
    goneFolders.erase(folder);
    madeFolders.push_back(folder);
}

void ScriptedPlatform::removeDir(const std::string &path) {
    operations.push_back("removeDir(" + path + ")");
    step("removeDir");
    const std::string folder = pathtext::normalized(path, sep);
    if (isGone(folder))
        throw PlatformError(ErrorKind::NotFound, path);
    if (std::any_of(files.begin(), files.end(), [&](const std::string &file) {
            return pathtext::liesUnder(file, folder, sep);
        }))
        throw PlatformError(ErrorKind::NotEmpty, path);
    goneFolders.insert(folder);
}

FileDate ScriptedPlatform::fileDateTime(const std::string &path) {
    step("fileDateTime");
    const auto found = fileDates.find(path);
    if (found == fileDates.end())
        throw PlatformError(ErrorKind::NotFound, path);
    return found->second;
}

std::int64_t ScriptedPlatform::fileLen(const std::string &path) {
    step("fileLen");
    const auto found = fileLengths.find(path);
    if (found == fileLengths.end())
        throw PlatformError(ErrorKind::NotFound, path);
    return found->second;
}

void ScriptedPlatform::shell(const std::string &path, int windowStyle) {
    operations.push_back("shell(" + path + "," + std::to_string(windowStyle) + ")");
    step("shell");
}

std::string ScriptedPlatform::dateToText(FileDate date) {
    return dateText(date);
}

std::string ScriptedPlatform::dateText(FileDate date) {
    return "date " + std::to_string(date.secondsSinceEpoch);
}

void ScriptedPlatform::unloadWindow() {
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
