#pragma once

// Helpers for tests on real folders: files and links made from exact byte names, and a
// snapshot of a whole tree (type, inode, size, content, link target) to prove that an action
// touched exactly what it should and nothing else.

#include <QString>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class QTemporaryDir;

namespace quervelle::test {

std::string fsPath(const QTemporaryDir &dir); // the folder's path as bytes
std::string fsJoin(const std::string &folder, std::string_view name);

// Each returns false (and sets fsLastError()) when the system refuses.
bool fsWriteFile(const std::string &path, std::string_view content, unsigned mode = 0644);
bool fsMakeDir(const std::string &path);
bool fsMakeLink(const std::string &target, const std::string &path);
bool fsSetModified(const std::string &path, std::int64_t secondsSinceEpoch);
// Removes folder and everything below it, name by name as bytes, links not followed. Use it
// instead of QTemporaryDir's own removal, which decodes names and misses or mixes up some.
bool fsRemoveTree(const std::string &folder);
QString fsLastError();

bool fsExists(const std::string &path); // the entry itself (a dangling link exists)
std::string fsReadFile(const std::string &path);

struct FsEntry {
    char type = '?'; // 'f' file, 'd' folder, 'l' link, '?' other
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::string content; // a file's bytes, or a link's target
    friend bool operator==(const FsEntry &, const FsEntry &) = default;
};

// Every entry below folder, by its path relative to it, links not followed.
using FsSnapshot = std::map<std::string, FsEntry>;
FsSnapshot fsSnapshot(const std::string &folder);

// What differs between two snapshots, one line per entry; empty when they are the same.
QString fsDiff(const FsSnapshot &before, const FsSnapshot &after);

// A readable form of raw name bytes: printable ASCII as is, every other byte as \xNN.
QString fsShow(std::string_view bytes);

} // namespace quervelle::test
