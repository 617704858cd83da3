#pragma once

// Path texts, the one place that knows how a path is put together. Each helper takes the
// separator it works with ('/' for Linux paths, '\\' for Windows paths), so that both kinds can
// be checked on any system; the native ones come from pathSeparator(). A drive root is "/" for
// '/' and a letter, a colon and the separator ("C:\") for '\\'. Comparisons are exact, byte for
// byte.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quervelle::pathtext {

// The separator of this system's paths.
char pathSeparator();

// True for a path that does not depend on a current folder: "/x"; on Windows "C:\x", "\\host".
bool isAbsolutePath(std::string_view path);
// The same for the paths of the given separator: with '\\' "C:\x" (or "C:/x") and "\\\\host".
bool isAbsolutePath(std::string_view path, char separator);

// The folder the program was started in; empty, with the system's error in error, when it
// cannot be known (removed, or a folder above it unreadable).
std::string startFolder(std::error_code &error);

// Moves this process's working folder, once the start folder is taken, to one the user never
// removes or ejects: "/" on Linux, the system folder on Windows. A process's working folder
// cannot be removed on Windows, nor its file system unmounted, as long as the process runs.
// False, with the system's error in error, when it cannot move.
bool leaveStartFolder(std::error_code &error);

// True for "/" with '/', and for "X:\" with '\\' (any letter, either case).
bool isDriveRoot(std::string_view path, char separator);

// The root of the drive a drive text names, as the directory list takes it: with '\\' a text
// whose first two characters are a letter and a colon, alone or followed by a space ("d:",
// "c: [Système]"), names that letter's root, upper-case ("C:\\"); with '/' none does (a drive
// text there is its mount path, a folder like any other).
std::optional<std::string> driveRootNamed(std::string_view text, char separator);

// Repeated separators made one ("a//b" -> "a/b"); with '\\' a leading pair (a network path,
// "\\host\share") is kept.
std::string collapseSeparators(std::string_view path, char separator);

// Separators collapsed, and no separator at the end except for a drive root.
std::string normalized(std::string_view path, char separator);

// folder, the separator unless folder already ends with one, then name.
std::string join(std::string_view folder, std::string_view name, char separator);

// The folder that holds path, or path itself for a drive root or a bare name.
std::string parentOf(std::string_view path, char separator);

// The last name of path: what follows its last separator (empty when it ends with one), or the
// whole text when it has none.
std::string_view nameOf(std::string_view path, char separator);

// The names of the folders from root down to path, in order ("/home/anne" under "/" gives
// "home", "anne"); none when path is root or does not lie under it.
std::vector<std::string> namesBelow(std::string_view path, std::string_view root, char separator);

// True when path is root itself or lies inside it, component by component: "/home" holds
// "/home/x", not "/homework". Both texts as given (normalize first where needed).
bool liesUnder(std::string_view path, std::string_view root, char separator);

// Of roots, the longest that path lies under (the drive holding it), or none.
std::optional<std::size_t> longestRootHolding(std::span<const std::string> roots,
                                              std::string_view path, char separator);

// The root of the drive holding path: the longest of roots it lies under; else, with '\\', "X:\\"
// for a path that begins with a letter and a colon; else the separator alone. Nothing above it is
// ever shown in the directory list.
std::string driveRootOf(std::span<const std::string> roots, std::string_view path, char separator);

} // namespace quervelle::pathtext
