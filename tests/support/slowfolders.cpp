// The folder's entries are read here with getdents64 into a buffer of our own, the delay added
// after each system read; readdir() then hands them out one by one, as the C library does.
#undef _FILE_OFFSET_BITS
#include "support/slowfolders.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::atomic<long long> g_delayMs{0};
std::atomic<int> g_slowed{0};

struct Stream {
    std::vector<char> buffer = std::vector<char>(32768);
    std::size_t offset = 0;
    std::size_t size = 0;
};

// Never destroyed: a read stopped by the user may still be under way on its thread at exit.
std::mutex &streamsLock() {
    static auto *lock = new std::mutex;
    return *lock;
}
std::map<DIR *, Stream> &streams() {
    static auto *map = new std::map<DIR *, Stream>;
    return *map;
}

template <typename Function> Function next(const char *name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void *slowRead(DIR *dir) {
    Stream *stream = nullptr;
    {
        const std::lock_guard lock(streamsLock());
        stream = &streams()[dir];
    }
    if (stream->offset >= stream->size) {
        const long got =
            syscall(SYS_getdents64, dirfd(dir), stream->buffer.data(), stream->buffer.size());
        const int err = errno;
        std::this_thread::sleep_for(std::chrono::milliseconds(g_delayMs.load()));
        g_slowed.fetch_add(1);
        if (got <= 0) {
            errno = got < 0 ? err : 0;
            return nullptr;
        }
        stream->size = static_cast<std::size_t>(got);
        stream->offset = 0;
    }
    char *entry = stream->buffer.data() + stream->offset;
    stream->offset += reinterpret_cast<dirent64 *>(entry)->d_reclen;
    return entry;
}

bool slowed(DIR *dir) {
    if (g_delayMs.load() > 0)
        return true;
    const std::lock_guard lock(streamsLock());
    return streams().count(dir) != 0; // began slowed: goes on so
}

} // namespace

extern "C" {

dirent *readdir(DIR *dir) {
    using Readdir = dirent *(*)(DIR *);
    static const Readdir real = next<Readdir>("readdir");
    return slowed(dir) ? static_cast<dirent *>(slowRead(dir)) : real(dir);
}

dirent64 *readdir64(DIR *dir) {
    using Readdir = dirent64 *(*)(DIR *);
    static const Readdir real = next<Readdir>("readdir64");
    return slowed(dir) ? static_cast<dirent64 *>(slowRead(dir)) : real(dir);
}

int closedir(DIR *dir) {
    using Closedir = int (*)(DIR *);
    static const Closedir real = next<Closedir>("closedir");
    {
        const std::lock_guard lock(streamsLock());
        streams().erase(dir);
    }
    return real(dir);
}

} // extern "C"

namespace quervelle::test {

void setFolderReadDelay(std::chrono::milliseconds delay) {
    g_delayMs.store(delay.count());
    g_slowed.store(0);
}

int slowedFolderReads() {
    return g_slowed.load();
}

} // namespace quervelle::test
