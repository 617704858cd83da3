#pragma once

// The four rules the handlers decide with: how a full path is composed, when the selected drive
// counts as write-protected, when file details may be read, and how a filter pattern is formed.
// Each comes in two forms: a pure one over texts and integers (no window needed), and one that
// reads the controls through Platform in the order the handlers rely on.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace quervelle {

class Platform;

// A fixed set of drive-root texts that Dir1.Path is compared with, exactly and case-sensitively.
using RootSet = std::span<const std::string_view>;

// File details compare with "C:\" only.
inline constexpr std::array<std::string_view, 1> DetailsRootSet{"C:\\"};
// Delete file and create folder.
inline constexpr std::array<std::string_view, 2> WriteRootSet{"C:\\", "a:\\"};
// Run file.
inline constexpr std::array<std::string_view, 3> RunRootSet{"d:\\", "C:\\", "a:\\"};

// Dir1.Path is read afresh for every text of the set, with no early exit on a match.
bool dirPathIsRoot(RootSet rootSet, const std::function<std::string()> &readDirPath);

// File1.Path and the name, with the separator between them unless the folder is a root of the set.
std::string joinPath(std::string_view filePath, std::string_view name, bool atRoot, char separator);

// The full path, pure: the root test is made on Dir1.Path (through readDirPath, once per text of
// the set); the text that is joined is File1.Path.
std::string composeFullPath(RootSet rootSet, const std::function<std::string()> &readDirPath,
                            std::string_view filePath, std::string_view name, char separator);

// The full path over the controls, for the selected file: Dir1.Path once per text of the set, then
// File1.Path, then File1.FileName.
std::string composeSelectedFilePath(Platform &platform, RootSet rootSet);

// The full path over the controls, with a name of the caller's (the typed folder name): Dir1.Path
// once per text of the set, then File1.Path.
std::string composeFullPath(Platform &platform, RootSet rootSet, std::string_view name);

// ListIndex + 1 in 16-bit signed arithmetic; OverflowError when it does not fit.
std::int16_t nextListIndex(std::int16_t listIndex);

// Write protection: the last drive of the list is taken as the CD-ROM drive. OverflowError at
// 32767.
bool isWriteProtectedDrive(std::int16_t listIndex, std::int16_t listCount);
// Reads Drive1.ListIndex, adds one (the overflow comes before anything else is read), then
// Drive1.ListCount.
bool isWriteProtectedDrive(Platform &platform);

// File details: neither the last drive nor the first. Both comparisons are always made.
bool mayShowDetails(std::int16_t listIndex, std::int16_t listCount);
// Reads Drive1.ListIndex, adds one, reads Drive1.ListCount, then Drive1.ListIndex again.
bool mayShowDetails(Platform &platform);

// The filter pattern: "*" followed by the typed text, unchanged.
std::string filterPattern(std::string_view typed);

} // namespace quervelle
