#include "logic/rules.h"

#include "platform/files/errors.h"
#include "platform/platform.h"

#include <limits>

namespace quervelle {

namespace {

// A comparison's truth value as a 16-bit word: all bits set for true, zero for false.
constexpr std::int16_t truthWord(bool value) {
    return value ? std::int16_t(-1) : std::int16_t(0);
}

} // namespace

bool dirPathIsRoot(RootSet rootSet, const std::function<std::string()> &readDirPath) {
    bool atRoot = false;
    for (std::string_view root : rootSet) {
        // No early exit: the folder is read for every text of the set.
        const std::string dirPath = readDirPath();
        if (dirPath == root)
            atRoot = true;
    }
    return atRoot;
}

std::string joinPath(std::string_view filePath, std::string_view name, bool atRoot,
                     char separator) {
    std::string full;
    full.reserve(filePath.size() + 1 + name.size());
    full.append(filePath);
    if (!atRoot)
        full.push_back(separator);
    full.append(name);
    return full;
}

std::string composeFullPath(RootSet rootSet, const std::function<std::string()> &readDirPath,
                            std::string_view filePath, std::string_view name, char separator) {
    const bool atRoot = dirPathIsRoot(rootSet, readDirPath);
    return joinPath(filePath, name, atRoot, separator);
}

std::string composeSelectedFilePath(Platform &platform, RootSet rootSet) {
    const bool atRoot = dirPathIsRoot(rootSet, [&platform] { return platform.dirPath(); });
    const std::string filePath = platform.filePath();
    const std::string name = platform.fileName();
    return joinPath(filePath, name, atRoot, platform.separator());
}

std::string composeFullPath(Platform &platform, RootSet rootSet, std::string_view name) {
    const bool atRoot = dirPathIsRoot(rootSet, [&platform] { return platform.dirPath(); });
    const std::string filePath = platform.filePath();
    return joinPath(filePath, name, atRoot, platform.separator());
}

std::int16_t nextListIndex(std::int16_t listIndex) {
    if (listIndex == std::numeric_limits<std::int16_t>::max())
        throw OverflowError();
    return static_cast<std::int16_t>(listIndex + 1);
}

bool isWriteProtectedDrive(std::int16_t listIndex, std::int16_t listCount) {
    return nextListIndex(listIndex) == listCount;
}

bool isWriteProtectedDrive(Platform &platform) {
    const std::int16_t next = nextListIndex(platform.driveListIndex());
    return next == platform.driveListCount();
}

bool mayShowDetails(std::int16_t listIndex, std::int16_t listCount) {
    const std::int16_t notLast = truthWord(nextListIndex(listIndex) != listCount);
    const std::int16_t notFirst = truthWord(listIndex != 0);
    return (notLast & notFirst) != 0;
}

bool mayShowDetails(Platform &platform) {
    const std::int16_t next = nextListIndex(platform.driveListIndex());
    const std::int16_t notLast = truthWord(next != platform.driveListCount());
    const std::int16_t notFirst = truthWord(platform.driveListIndex() != 0);
    return (notLast & notFirst) != 0;
}

std::string filterPattern(std::string_view typed) {
    std::string pattern = "*";
    pattern.append(typed);
    return pattern;
}

} // namespace quervelle
