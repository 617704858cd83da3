#pragma once

// Reading a folder for the lists, the one place that knows the operating system's directory
// calls (linux/ or windows/ beside this file, chosen by CMake). Hidden names (those starting
// with ".", and on Windows the hidden and system classes) are never returned.
//
// The error codes here (and that of pathtext::startFolder) are the system's own, typed by their
// category: errno values in std::generic_category() on Linux, Windows error codes in
// std::system_category() on Windows; an empty code is success. systemError() and
// meansNoFolder() read them.

#include "platform/files/errors.h"
#include "platform/files/namelist.h"

#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

namespace quervelle {

class PatternMatcher;

enum class EntryKind {
    File,   // regular files and links to them, a dangling link too
    Folder, // folders and links to them
};

// Where the names of one reading go: the files, the folders, or both at once (a list left null
// is not wanted), each kind with its pattern when one is given.
struct FolderReading {
    NameList *files = nullptr;
    const PatternMatcher *filePattern = nullptr;
    NameList *folders = nullptr;
    const PatternMatcher *folderPattern = nullptr;
    // When given, called each time files holds batch names, which it may take away: a large
    // folder's names can then be worked on while the rest is still being read.
    std::size_t batch = 0;
    std::function<void(NameList &files)> batchFull;
};

// Reads path once, appending each entry's name to the list of its kind. Calls progress now and
// then with the number of entries seen so far. Returns no error, or the system's error when the
// folder cannot be opened or read (a path that no name can hold, such as one with a wildcard,
// included).
std::error_code readFolder(const std::string &path, const FolderReading &into,
                           const std::function<void(std::size_t)> &progress = {});

// Appends to out the names of the entries of path that are of that kind and, when pattern is
// given, match it; otherwise as above.
std::error_code readFolder(const std::string &path, EntryKind kind, const PatternMatcher *pattern,
                           NameList &out, const std::function<void(std::size_t)> &progress = {});

// The names of one folder, read already and put in list order, for a list to take instead of
// reading the folder again; error is the system's error that reading met, or none.
struct ReadyListing {
    std::string folder;
    NameList names;
    std::error_code error;
};

// No error when path names a folder (following links); otherwise the error that says why not
// (ENOTDIR, on Windows ERROR_DIRECTORY, for something that exists but is not a folder).
std::error_code folderStatus(const std::string &path);

// The size the file system gives the folder at path (what it says of its entries varies from one
// file system to another), or 0 when it cannot be read.
std::uintmax_t folderSize(const std::string &path);

// True when something (a file, a folder, a link, even a dangling one) exists at path.
bool entryExists(const std::string &path);

// The PlatformError a system error stands for, on path.
PlatformError systemError(std::error_code code, const std::string &path);

// True when code says that there is no folder at the path: nothing is there, a folder on the way
// is missing, or something other than a folder stands there.
bool meansNoFolder(std::error_code code);

} // namespace quervelle
