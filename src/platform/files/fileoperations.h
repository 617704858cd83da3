#pragma once

// The file-system and program-start operations, each on exactly the path given: no wildcard
// expansion, no shell, no re-encoding. Each throws PlatformError when the system refuses. A
// path holding a NUL byte is refused with ErrorKind::InvalidName before the system sees it, so
// that it is never cut short into another path.
//
// One implementation per system, chosen by the build: linux/fileoperations.cpp and
// windows/fileoperations.cpp.

#include "platform/filedate.h"

#include <cstdint>
#include <string>

namespace quervelle::fileops {

void killFile(const std::string &path);     // removes that one file; a link, never its target
void makeDir(const std::string &path);      // one level, the name as given; a NUL in it is refused
void removeDir(const std::string &path);    // never recursive
FileDate fileDate(const std::string &path); // last modification time
std::int64_t fileLength(const std::string &path);            // 64-bit byte count
void startProgram(const std::string &path, int windowStyle); // that exact file, no arguments

} // namespace quervelle::fileops
