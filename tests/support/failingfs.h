#pragma once

// A small file system, served by this test process through the kernel's FUSE device, whose
// operations fail on the names a test chooses with the error it chooses: an input/output
// error, a full disk, a busy folder, as a failing disk, a full one or a kernel would give them.
// The program sees real system calls failing with real error numbers. It holds folders and
// files (their sizes only, read as zeros) and keeps nothing in the kernel's caches, so every
// call reaches it. Needs a private mount namespace (see mountnamespace.h) and the right to
// mount; mount() says why it cannot.

#include <QString>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quervelle::test {

class FailingFileSystem {
public:
    enum class Op { Stat, ReadDir, Unlink, MkDir, RmDir, Open };

    FailingFileSystem() = default;
    ~FailingFileSystem();
    FailingFileSystem(const FailingFileSystem &) = delete;
    FailingFileSystem &operator=(const FailingFileSystem &) = delete;

    // Before mount(): "folder/sub" and "folder/file" (its size; mode 0755 makes it a program).
    void addFolder(const std::string &path);
    void addFile(const std::string &path, std::uint64_t size, std::uint32_t mode = 0644);

    // Mounts it on the folder target (which must exist); the reason when it cannot, empty when
    // done.
    QString mount(const std::string &target);
    void unmount();

    // From now on, op on an entry of that name (its last component) fails with error.
    void failOn(Op op, const std::string &name, int error);
    // Every failure forgotten: the entries read as they are.
    void heal();

private:
    struct Node {
        std::string name;
        std::uint64_t parent = 0;
        bool folder = false;
        bool gone = false;
        std::uint64_t size = 0;
        std::uint32_t mode = 0;
    };
    std::uint64_t add(const std::string &path, bool folder, std::uint64_t size, std::uint32_t mode);
    std::uint64_t child(std::uint64_t parent, const std::string &name) const;
    int failure(Op op, const std::string &name) const;
    void serve();
    void handle(const char *request, std::size_t length);
    void reply(std::uint64_t unique, int error, const void *body = nullptr, std::size_t size = 0);

    std::vector<Node> m_nodes{Node{"", 0, true, false, 0, 0755}}; // node id = index + 1
    std::map<std::pair<Op, std::string>, int> m_failures;
    mutable std::mutex m_mutex;
    std::string m_target;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_server;
};

} // namespace quervelle::test
