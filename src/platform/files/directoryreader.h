#pragma once

// Reading a folder for the lists, the one place that knows the operating system's directory
// calls (src/platform/posix/ or src/platform/windows/, chosen by CMake). Hidden names (those
// starting with ".", and on Windows the hidden and system classes) are never returned.

#include <functional>
#include <string>

namespace quervelle {

class NameList;
class PatternMatcher;

enum class EntryKind {
    File,   // regular files and links to them, a dangling link too
    Folder, // folders and links to them
};

// Appends to out the names of the entries of path that are of that kind and, when pattern is
// given, match it. Calls progress now and then with the number of entries seen so far.
// Returns 0, or the system's error number when the folder cannot be opened or read.
int readFolder(const std::string &path, EntryKind kind, const PatternMatcher *pattern,
               NameList &out, const std::function<void(std::size_t)> &progress = {});

// 0 when path names a folder (following links); otherwise the error number that says why not
// (ENOTDIR for something that exists but is not a folder).
int folderStatus(const std::string &path);

// True when something (a file, a folder, a link, even a dangling one) exists at path.
bool entryExists(const std::string &path);

} // namespace quervelle
