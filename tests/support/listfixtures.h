#pragma once

// Folders for the list tests, made with the system calls so that names keep their exact bytes
// (invalid UTF-8, "\", "*", a newline), and readers of what a list shows.

#include <QTemporaryDir>

#include <string>
#include <vector>

class QAbstractItemView;

namespace quervelle {
class FileListBox;
}

namespace quervelle::test {

// A temporary folder removed byte for byte at the end (QTemporaryDir alone cannot remove names
// that are not valid UTF-8).
class ListFolder {
public:
    ListFolder() : m_path(m_dir.path().toStdString()) {}
    ~ListFolder();
    ListFolder(const ListFolder &) = delete;
    ListFolder &operator=(const ListFolder &) = delete;
    bool isValid() const { return m_dir.isValid(); }
    const std::string &path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    std::string m_path;
};

// Each entry is "f:name" (empty file), "d:name" (folder) or "l:name>target" (symbolic link),
// the name relative to folder and possibly with sub-folders. Fails the test on a system error.
void makeEntries(const std::string &folder, const std::vector<std::string> &entries);

void makeFile(const std::string &path);
void makeFolder(const std::string &path);
void removeTree(const std::string &path);

// The exact bytes of every name the list shows, in its order, read by selecting each row.
std::vector<std::string> listedNames(FileListBox &list);

// The display texts of the rows of a view, in order.
std::vector<std::string> rowTexts(const QAbstractItemView &view);

} // namespace quervelle::test
