#include "support/listfixtures.h"

#include "platform/controls/filelistbox.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace quervelle::test {

namespace {

[[noreturn]] void failed(const char *what, const std::string &path) {
    throw std::runtime_error(std::string(what) + " " + path + ": " + std::strerror(errno));
}

} // namespace

ListFolder::~ListFolder() {
    // Give back permissions a test took away, then remove by bytes.
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(std::filesystem::path(m_path), ignored);
}

void makeFile(const std::string &path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        failed("create", path);
    close(fd);
}

void makeFolder(const std::string &path) {
    if (mkdir(path.c_str(), 0755) != 0)
        failed("mkdir", path);
}

void removeTree(const std::string &path) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

void makeEntries(const std::string &folder, const std::vector<std::string> &entries) {
    for (const std::string &entry : entries) {
        if (entry.size() < 3 || entry[1] != ':')
            throw std::invalid_argument("bad entry " + entry);
        const std::string rest = entry.substr(2);
        switch (entry[0]) {
        case 'f':
            makeFile(folder + "/" + rest);
            break;
        case 'd':
            makeFolder(folder + "/" + rest);
            break;
        case 'l': {
            const std::size_t arrow = rest.find('>');
            const std::string link = folder + "/" + rest.substr(0, arrow);
            if (symlink(rest.substr(arrow + 1).c_str(), link.c_str()) != 0)
                failed("symlink", link);
            break;
        }
        default:
            throw std::invalid_argument("bad entry " + entry);
        }
    }
}

std::vector<std::string> listedNames(FileListBox &list) {
    std::vector<std::string> names;
    const int rows = list.model()->rowCount();
    for (int row = 0; row < rows; ++row) {
        list.selectionModel()->setCurrentIndex(list.model()->index(row, 0),
                                               QItemSelectionModel::ClearAndSelect);
        names.push_back(list.fileName());
    }
    list.selectionModel()->clear();
    return names;
}

std::vector<std::string> rowTexts(const QAbstractItemView &view) {
    std::vector<std::string> texts;
    const int rows = view.model()->rowCount();
    for (int row = 0; row < rows; ++row)
        texts.push_back(view.model()->index(row, 0).data().toString().toStdString());
    return texts;
}

} // namespace quervelle::test
