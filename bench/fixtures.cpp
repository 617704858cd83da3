#include "fixtures.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bench {

namespace {

constexpr std::size_t Kinds = 20;

// printf formats of the file names; the first 12 match "*.txt". "\xe9" is a Latin-1 e-acute,
// an invalid byte in UTF-8; the other accents are UTF-8.
constexpr const char *FileFormats[Kinds] = {
    "rapport_%06zu.txt",
    "Rapport_%06zu.TXT",
    "notes %zu.txt",
    "Compte rendu %zu.txt",
    "\xc3\xa9t\xc3\xa9_%zu.txt",
    "\xc3\x89l\xc3\xa8ve %zu.txt",
    "caf\xe9_%zu.txt",
    "file%zu.txt",
    "File%zu.txt",
    "2024-%05zu journal.txt",
    "\xc3\x9c"
    "berblick_%zu.txt",
    "backup.%zu.txt",
    "Photo %zu.BMP",
    "IMG_%06zu.jpg",
    "donn\xc3\xa9"
    "es_%zu.csv",
    "r\xe9sum\xe9 %zu.doc",
    "rapport_%06zu.txt.bak",
    "archive%zu.tar.gz",
    "Makefile%zu",
    "script_%zu.sh",
};
constexpr std::size_t MatchingKinds = 12;

constexpr const char *FolderFormats[] = {
    "Dossier %zu",
    "projet_%06zu",
    "\xc3\xa9t\xc3\xa9 %zu",
    "caf\xe9 %zu",
    "Photos %zu",
    "src%zu",
    "Archives_%05zu",
    "\xc3\x89"
    "cole %zu",
};
constexpr std::size_t FolderKinds = sizeof FolderFormats / sizeof FolderFormats[0];

std::string format(const char *fmt, std::size_t i) {
    char buffer[128];
    const int n = std::snprintf(buffer, sizeof buffer, fmt, i);
    return std::string(buffer, static_cast<std::size_t>(n));
}

[[noreturn]] void fail(const std::string &what, const std::string &path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int makeFolder(const std::string &path) {
    if (::mkdir(path.c_str(), 0755) != 0)
        fail("mkdir", path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        fail("open", path);
    return fd;
}

} // namespace

std::string fileName(std::size_t i) {
    return format(FileFormats[i % Kinds], i);
}

bool fileNameMatchesTxt(std::size_t i) {
    return i % Kinds < MatchingKinds;
}

std::string folderName(std::size_t i) {
    return format(FolderFormats[i % FolderKinds], i);
}

bool makeFileFolder(const std::string &path, std::size_t count, bool (*stopRequested)()) {
    const Fd dir(makeFolder(path));
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 4096 == 0 && stopRequested())
            return false;
        const std::string name = fileName(i);
        const int fd =
            ::openat(dir.get(), name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            fail("create", path + "/" + name);
        ::close(fd);
    }
    return true;
}

bool makeFolderOfFolders(const std::string &path, std::size_t count, bool (*stopRequested)()) {
    const Fd dir(makeFolder(path));
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 4096 == 0 && stopRequested())
            return false;
        const std::string name = folderName(i);
        if (::mkdirat(dir.get(), name.c_str(), 0755) != 0)
            fail("mkdir", path + "/" + name);
    }
    return true;
}

void removeFixture(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    // Unlinking while reading may make readdir skip names; repeat until a pass removes nothing.
    for (bool removed = true; removed;) {
        removed = false;
        ::rewinddir(dir);
        while (const dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            if (::unlinkat(fd, name, 0) == 0 ||
                ((errno == EISDIR || errno == EPERM) && ::unlinkat(fd, name, AT_REMOVEDIR) == 0))
                removed = true;
        }
    }
    ::closedir(dir);
    ::rmdir(path.c_str());
}

} // namespace bench
