#include "platform/files/directoryreader.h"

#include "platform/files/namelist.h"
#include "platform/files/pattern.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quervelle {

namespace {

// Closes the directory stream on every way out.
class DirectoryStream {
public:
    explicit DirectoryStream(DIR *dir) : m_dir(dir) {}
    ~DirectoryStream() {
        if (m_dir)
            closedir(m_dir);
    }
    DirectoryStream(const DirectoryStream &) = delete;
    DirectoryStream &operator=(const DirectoryStream &) = delete;
    DIR *get() const { return m_dir; }

private:
    DIR *m_dir;
};

// The type of an entry as the list sees it: the link's target for a link (a dangling link
// counts as a file), the entry itself otherwise. Only links and file systems that give no
// type in the directory entry cost a stat.
EntryKind kindOf(int dirFd, const dirent *entry, bool &listable) {
    unsigned char type = entry->d_type;
    listable = true;
    if (type == DT_UNKNOWN) {
        struct stat st;
        if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            listable = false; // vanished since the directory was read
            return EntryKind::File;
        }
        if (S_ISLNK(st.st_mode))
            type = DT_LNK;
        else if (S_ISDIR(st.st_mode))
            type = DT_DIR;
        else if (S_ISREG(st.st_mode))
            type = DT_REG;
    }
    switch (type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK: {
        struct stat target;
        if (fstatat(dirFd, entry->d_name, &target, 0) != 0)
            return EntryKind::File; // dangling: listed so that it can be deleted
        if (S_ISDIR(target.st_mode))
            return EntryKind::Folder;
        listable = S_ISREG(target.st_mode);
        return EntryKind::File;
    }
    default:
        listable = false; // devices, pipes, sockets
        return EntryKind::File;
    }
}

// A path with a NUL inside cannot be passed whole to the system; never let it be cut short.
bool hasNul(const std::string &path) {
    return path.find('\0') != std::string::npos;
}

int readInto(const std::string &path, const FolderReading &into,
             const std::function<void(std::size_t)> &progress) {
    if (hasNul(path))
        return EINVAL;
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    DirectoryStream dir(fdopendir(fd));
    if (!dir.get()) {
        const int err = errno;
        close(fd);
        return err;
    }
    const auto take = [&into](NameList *list, const PatternMatcher *pattern,
                              std::string_view name) {
        if (!list || (pattern && !pattern->matches(name)))
            return;
        list->append(name);
        if (list == into.files && into.batchFull && list->size() >= into.batch)
            into.batchFull(*list);
    };
    std::size_t seen = 0;
    while (true) {
        errno = 0;
        const dirent *entry = readdir(dir.get());
        if (!entry)
            return errno;
        if (progress && (++seen & 0xFF) == 0)
            progress(seen);
        if (entry->d_name[0] == '.')
            continue;
        const std::string_view name(entry->d_name);
        // Most entries say their type; only links and file systems that give none cost a stat.
        if (entry->d_type == DT_DIR) {
            take(into.folders, into.folderPattern, name);
            continue;
        }
        if (entry->d_type == DT_REG) {
            take(into.files, into.filePattern, name);
            continue;
        }
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN && !into.files)
            continue;
        // Reading files alone, the pattern is the cheaper test.
        if (!into.folders && into.filePattern && !into.filePattern->matches(name))
            continue;
        bool listable = true;
        const EntryKind kind = kindOf(dirfd(dir.get()), entry, listable);
        if (!listable)
            continue;
        if (kind == EntryKind::File)
            take(into.files, into.filePattern, name);
        else
            take(into.folders, into.folderPattern, name);
    }
}

} // namespace

std::error_code readFolder(const std::string &path, const FolderReading &into,
                           const std::function<void(std::size_t)> &progress) {
    return errnoCode(readInto(path, into, progress));
}

std::error_code folderStatus(const std::string &path) {
    if (hasNul(path))
        return errnoCode(EINVAL);
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return errnoCode(errno);
    return S_ISDIR(st.st_mode) ? std::error_code() : errnoCode(ENOTDIR);
}

std::uintmax_t folderSize(const std::string &path) {
    struct stat st;
    if (hasNul(path) || stat(path.c_str(), &st) != 0 || st.st_size < 0)
        return 0;
    return static_cast<std::uintmax_t>(st.st_size);
}

bool entryExists(const std::string &path) {
    struct stat st;
    return !hasNul(path) && lstat(path.c_str(), &st) == 0;
}

PlatformError systemError(std::error_code code, const std::string &path) {
    return errorFromErrno(code.value(), path);
}

bool meansNoFolder(std::error_code code) {
    return code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory;
}

} // namespace quervelle
