#pragma once

// The one way a path text reaches Windows. The file calls get the "\\?\" form of the full path,
// in which Windows takes every name exactly as written: without it, Windows drops the spaces and
// dots that end a name (so "t.txt " would act on its neighbour "t.txt"), turns "nul" or "com1"
// into devices and stops at 260 characters.

#include <string>

namespace quervelle::windows {

struct SystemPath {
    std::wstring verbatim; // "\\?\C:\dir\name" or "\\?\UNC\host\share\name", for the file calls
    std::wstring dos;      // "C:\dir\name" or "\\host\share\name", the same path as people write it
};

// The path made full (against the current folder when it is relative), its repeated separators
// made one and its "." and ".." steps taken, "/" read as "\". Throws PlatformError with
// ErrorKind::InvalidName, before the system sees anything, for a path holding a NUL, a text that
// is not WTF-8, or a character no Windows name may hold (* ? < > " | : and the control
// characters): a wildcard is never expanded, a colon never opens a file's alternate stream.
SystemPath systemPath(const std::string &path);

// The "\\?\" form alone.
std::wstring verbatimPath(const std::string &path);

// Windows' system folder ("C:\Windows\system32").
std::wstring systemFolder();

} // namespace quervelle::windows
