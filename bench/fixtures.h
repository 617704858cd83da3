#pragma once

// The benchmark's test folders: empty files and sub-folders with names mixed like real ones
// (numbers padded or not, upper and lower case, accents in UTF-8, Latin-1 bytes that are not
// valid UTF-8). 12 names in 20 match "*.txt".

#include <cstddef>
#include <string>

namespace bench {

// The i-th file name; names are distinct for distinct i.
std::string fileName(std::size_t i);
bool fileNameMatchesTxt(std::size_t i);

// The i-th sub-folder name; names are distinct for distinct i.
std::string folderName(std::size_t i);

// Creates the folder and count files (or sub-folders) in it. Stops early, returning false, when
// stopRequested() turns true; throws std::runtime_error when the file system refuses.
bool makeFileFolder(const std::string &path, std::size_t count, bool (*stopRequested)());
bool makeFolderOfFolders(const std::string &path, std::size_t count, bool (*stopRequested)());

// Removes the folder and everything in it, one level of sub-folders deep (what the fixtures
// hold), faster than a generic recursive removal. Never follows links.
void removeFixture(const std::string &path);

} // namespace bench
