#include "platform/files/fileoperations.h"

#include "platform/files/errors.h"
#include "platform/files/pathtext.h"

#include <cerrno>
#include <csignal>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace quervelle::fileops {

namespace {

// The path as the system receives it. std::string::c_str() would silently end the path at an
// embedded NUL and act on a shorter one, so such a path is refused outright.
const char *systemPath(const std::string &path) {
    if (path.find('\0') != std::string::npos)
        throw PlatformError(ErrorKind::InvalidName, path);
    return path.c_str();
}

// The status used for details: that of the file a link leads to, or, for a dangling link, the
// link's own, since the file list shows such links so that they can be deleted.
struct stat detailsStatus(const std::string &path) {
    const char *p = systemPath(path);
    struct stat st {};
    if (::stat(p, &st) == 0)
        return st;
    const int err = errno;
    struct stat linkSt {};
    if ((err == ENOENT || err == ELOOP) && ::lstat(p, &linkSt) == 0 && S_ISLNK(linkSt.st_mode))
        return linkSt;
    throw errorFromErrno(err, path);
}

// Owns a posix_spawn attribute object.
class SpawnAttributes {
public:
    SpawnAttributes() {
        if (::posix_spawnattr_init(&m_attr) != 0)
            throw PlatformError(ErrorKind::Other, {}, errnoCode(ENOMEM), "posix_spawnattr_init");
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&m_attr); }
    SpawnAttributes(const SpawnAttributes &) = delete;
    SpawnAttributes &operator=(const SpawnAttributes &) = delete;
    posix_spawnattr_t *get() { return &m_attr; }

private:
    posix_spawnattr_t m_attr;
};

// Owns the posix_spawn actions that give the started program its own folder as its working
// folder: ours is "/", which it has nothing to do with. A relative path (never one the window
// hands over) keeps our folder, against which it was meant.
class SpawnInFolder {
public:
    explicit SpawnInFolder(const std::string &program) {
        if (::posix_spawn_file_actions_init(&m_actions) != 0)
            throw PlatformError(ErrorKind::Other, {}, errnoCode(ENOMEM),
                                "posix_spawn_file_actions_init");
        if (!pathtext::isAbsolutePath(program))
            return;
        const std::string folder = pathtext::parentOf(program, '/');
        if (::posix_spawn_file_actions_addchdir_np(&m_actions, folder.c_str()) != 0) {
            ::posix_spawn_file_actions_destroy(&m_actions);
            throw PlatformError(ErrorKind::Other, {}, errnoCode(ENOMEM),
                                "posix_spawn_file_actions_addchdir_np");
        }
    }
    ~SpawnInFolder() { ::posix_spawn_file_actions_destroy(&m_actions); }
    SpawnInFolder(const SpawnInFolder &) = delete;
    SpawnInFolder &operator=(const SpawnInFolder &) = delete;
    const posix_spawn_file_actions_t *get() const { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

} // namespace

void killFile(const std::string &path) {
    // unlink never follows a final link and never removes a folder (EISDIR on Linux).
    if (::unlink(systemPath(path)) != 0)
        throw errorFromErrno(errno, path);
}

void makeDir(const std::string &path) {
    if (::mkdir(systemPath(path), 0777) != 0)
        throw errorFromErrno(errno, path);
}

void removeDir(const std::string &path) {
    const char *p = systemPath(path);
    if (::rmdir(p) == 0)
        return;
    const int err = errno;
    struct stat st {};
    if (err == ENOTDIR && ::lstat(p, &st) == 0) {
        // The path exists but is not a folder: a file, or a link to a folder (rmdir never
        // removes through a link). Say so rather than "not found".
        throw PlatformError(ErrorKind::NotADirectory, path, errnoCode(err),
                            S_ISLNK(st.st_mode) ? "lien symbolique" : "");
    }
    if (err == EEXIST) // some file systems answer EEXIST for a folder that is not empty
        throw PlatformError(ErrorKind::NotEmpty, path, errnoCode(err));
    throw errorFromErrno(err, path);
}

FileDate fileDate(const std::string &path) {
    return FileDate{static_cast<std::int64_t>(detailsStatus(path).st_mtim.tv_sec)};
}

std::int64_t fileLength(const std::string &path) {
    return static_cast<std::int64_t>(detailsStatus(path).st_size);
}

void startProgram(const std::string &path, int /*windowStyle*/) {
    const char *p = systemPath(path);
    struct stat st {};
    if (::stat(p, &st) != 0)
        throw errorFromErrno(errno, path);
    if (!S_ISREG(st.st_mode) || ::faccessat(AT_FDCWD, p, X_OK, AT_EACCESS) != 0)
        throw PlatformError(ErrorKind::NotExecutable, path);

    SpawnAttributes attributes;
    const SpawnInFolder folder(path);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    ::posix_spawnattr_setsigmask(attributes.get(), &noSignals);
    ::posix_spawnattr_setsigdefault(attributes.get(), &defaults);
    // Its own session: the program lives on independently of ours.
    ::posix_spawnattr_setflags(attributes.get(),
                               POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    // Exactly that file, with itself as its only argument: no shell, no search of PATH.
    char *const argv[] = {const_cast<char *>(p), nullptr};
    pid_t pid = 0;
    const int err = ::posix_spawn(&pid, p, folder.get(), attributes.get(), argv, environ);
    if (err != 0) {
        if (err == ENOEXEC || err == EACCES)
            throw PlatformError(ErrorKind::NotExecutable, path, errnoCode(err));
        throw errorFromErrno(err, path);
    }
    // Reap the program when it ends so that it never lingers as a zombie. Waiting on this one
    // process id leaves every other child of ours to whoever started it.
    try {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error &) {
        // The program has started, which is what was asked; without a thread to wait for it,
        // it is reaped when we end.
    }
}

} // namespace quervelle::fileops
