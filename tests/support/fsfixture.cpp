#include "support/fsfixture.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quervelle::test {

namespace {

QString g_lastError;

bool failed(const char *what, const std::string &path) {
    g_lastError = QStringLiteral("%1(%2): %3")
                      .arg(QString::fromLatin1(what), fsShow(path),
                           QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

void snapshotInto(const std::string &root, const std::string &relative, FsSnapshot &out) {
    const std::string folder = relative.empty() ? root : fsJoin(root, relative);
    struct CloseDir {
        void operator()(DIR *d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir)
        return;
    while (const dirent *ent = ::readdir(dir.get())) {
        const std::string name = ent->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string rel = relative.empty() ? name : relative + "/" + name;
        const std::string full = fsJoin(root, rel);
        struct stat st {};
        if (::lstat(full.c_str(), &st) != 0)
            continue;
        FsEntry entry;
        entry.inode = st.st_ino;
        entry.size = st.st_size;
        if (S_ISREG(st.st_mode)) {
            entry.type = 'f';
            // Contents up to 1 MiB are compared; a larger (sparse) file by its size only.
            if (st.st_size <= (1 << 20))
                entry.content = fsReadFile(full);
        } else if (S_ISDIR(st.st_mode)) {
            entry.type = 'd';
            entry.size = 0;
        } else if (S_ISLNK(st.st_mode)) {
            entry.type = 'l';
            std::string target(static_cast<std::size_t>(st.st_size) + 1, '\0');
            const ssize_t n = ::readlink(full.c_str(), target.data(), target.size());
            target.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
            entry.content = target;
        }
        out[rel] = entry;
        if (entry.type == 'd')
            snapshotInto(root, rel, out);
    }
}

QString describe(const FsEntry &e) {
    return QStringLiteral("%1 inode %2 size %3 \"%4\"")
        .arg(QChar::fromLatin1(e.type))
        .arg(e.inode)
        .arg(e.size)
        .arg(fsShow(e.content.substr(0, 40)));
}

} // namespace

std::string fsPath(const QTemporaryDir &dir) {
    return QFile::encodeName(dir.path()).toStdString();
}

std::string fsJoin(const std::string &folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path.append(name);
    return path;
}

bool fsWriteFile(const std::string &path, std::string_view content, unsigned mode) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return failed("open", path);
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            ::close(fd);
            return failed("write", path);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
        ::close(fd);
        return failed("fchmod", path);
    }
    return ::close(fd) == 0 || failed("close", path);
}

bool fsMakeDir(const std::string &path) {
    return ::mkdir(path.c_str(), 0755) == 0 || failed("mkdir", path);
}

bool fsMakeLink(const std::string &target, const std::string &path) {
    return ::symlink(target.c_str(), path.c_str()) == 0 || failed("symlink", path);
}

bool fsSetModified(const std::string &path, std::int64_t secondsSinceEpoch) {
    const timespec times[2] = {{static_cast<time_t>(secondsSinceEpoch), 0},
                               {static_cast<time_t>(secondsSinceEpoch), 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ||
           failed("utimensat", path);
}

bool fsRemoveTree(const std::string &folder) {
    const auto remove = [](const char *path, const struct stat *, int type, FTW *) {
        return type == FTW_DP ? ::rmdir(path) : ::unlink(path);
    };
    ::chmod(folder.c_str(), 0755);
    if (::nftw(folder.c_str(), remove, 16, FTW_DEPTH | FTW_PHYS) != 0)
        return failed("remove", folder);
    return true;
}

QString fsLastError() {
    return g_lastError;
}

bool fsExists(const std::string &path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string fsReadFile(const std::string &path) {
    std::string content;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return content;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return content;
}

FsSnapshot fsSnapshot(const std::string &folder) {
    FsSnapshot out;
    snapshotInto(folder, {}, out);
    return out;
}

QString fsDiff(const FsSnapshot &before, const FsSnapshot &after) {
    QStringList lines;
    for (const auto &[name, entry] : before) {
        const auto it = after.find(name);
        if (it == after.end())
            lines << QStringLiteral("gone: %1 (%2)").arg(fsShow(name), describe(entry));
        else if (!(it->second == entry))
            lines << QStringLiteral("changed: %1 (%2 -> %3)")
                         .arg(fsShow(name), describe(entry), describe(it->second));
    }
    for (const auto &[name, entry] : after) {
        if (!before.count(name))
            lines << QStringLiteral("new: %1 (%2)").arg(fsShow(name), describe(entry));
    }
    return lines.join(u'\n');
}

QString fsShow(std::string_view bytes) {
    QString out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\')
            out += QChar::fromLatin1(c);
        else
            out += QStringLiteral("\\x%1").arg(byte, 2, 16, QChar(u'0'));
    }
    return out;
}

} // namespace quervelle::test
