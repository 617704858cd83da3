#include "support/failingfs.h"

#include "support/mountnamespace.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/fuse.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quervelle::test {

namespace {

constexpr std::uint64_t FixedSeconds = 1796715171; // 2026-12-08 07:32:51 UTC

template <typename T> const T *bodyAs(const char *request) {
    return reinterpret_cast<const T *>(request + sizeof(fuse_in_header));
}

} // namespace

FailingFileSystem::~FailingFileSystem() {
    unmount();
}

std::uint64_t FailingFileSystem::add(const std::string &path, bool folder, std::uint64_t size,
                                     std::uint32_t mode) {
    std::uint64_t parent = FUSE_ROOT_ID;
    std::size_t start = 0;
    for (std::size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', start)) {
        parent = child(parent, path.substr(start, slash - start));
        start = slash + 1;
    }
    m_nodes.push_back(Node{path.substr(start), parent, folder, false, size, mode});
    return m_nodes.size();
}

void FailingFileSystem::addFolder(const std::string &path) {
    add(path, true, 0, 0755);
}

void FailingFileSystem::addFile(const std::string &path, std::uint64_t size, std::uint32_t mode) {
    add(path, false, size, mode);
}

std::uint64_t FailingFileSystem::child(std::uint64_t parent, const std::string &name) const {
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        const Node &node = m_nodes[i];
        if (!node.gone && node.parent == parent && node.name == name && i > 0)
            return i + 1;
    }
    return 0;
}

int FailingFileSystem::failure(Op op, const std::string &name) const {
    const auto found = m_failures.find({op, name});
    return found == m_failures.end() ? 0 : found->second;
}

void FailingFileSystem::failOn(Op op, const std::string &name, int error) {
    std::lock_guard lock(m_mutex);
    m_failures[{op, name}] = error;
}

void FailingFileSystem::heal() {
    std::lock_guard lock(m_mutex);
    m_failures.clear();
}

QString FailingFileSystem::mount(const std::string &target) {
    if (!mountNamespaceRefused().isEmpty())
        return QStringLiteral("no private mount namespace: ") + mountNamespaceRefused();
    m_fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (m_fd < 0)
        return systemError("open /dev/fuse");
    const std::string options = "fd=" + std::to_string(m_fd) +
                                ",rootmode=40755,user_id=" + std::to_string(::geteuid()) +
                                ",group_id=" + std::to_string(::getegid()) + ",allow_other";
    if (::mount("quervelle-test", target.c_str(), "fuse", MS_NOSUID | MS_NODEV, options.c_str()) !=
        0) {
        const QString reason = systemError("mount fuse");
        ::close(m_fd);
        m_fd = -1;
        return reason;
    }
    m_target = target;
    m_server = std::thread([this] { serve(); });
    return {};
}

void FailingFileSystem::unmount() {
    if (!m_target.empty())
        ::umount2(m_target.c_str(), MNT_DETACH);
    m_target.clear();
    m_stop = true;
    if (m_server.joinable())
        m_server.join();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void FailingFileSystem::serve() {
    std::vector<char> buffer(FUSE_MIN_READ_BUFFER + 128 * 1024);
    while (!m_stop) {
        pollfd ready{m_fd, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0)
            continue;
        const ssize_t length = ::read(m_fd, buffer.data(), buffer.size());
        if (length < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == ENOENT)
                continue;
            return; // ENODEV: unmounted
        }
        if (static_cast<std::size_t>(length) >= sizeof(fuse_in_header)) {
            std::lock_guard lock(m_mutex);
            handle(buffer.data(), static_cast<std::size_t>(length));
        }
    }
}

void FailingFileSystem::reply(std::uint64_t unique, int error, const void *body, std::size_t size) {
    std::vector<char> out(sizeof(fuse_out_header) + size);
    fuse_out_header header{static_cast<std::uint32_t>(out.size()), -error, unique};
    std::memcpy(out.data(), &header, sizeof header);
    if (size > 0)
        std::memcpy(out.data() + sizeof header, body, size);
    [[maybe_unused]] const ssize_t written = ::write(m_fd, out.data(), out.size());
}

void FailingFileSystem::handle(const char *request, std::size_t length) {
    const auto &in = *reinterpret_cast<const fuse_in_header *>(request);
    const char *name = request + sizeof(fuse_in_header);
    const std::size_t nodeIndex = in.nodeid - 1;
    const bool known = in.nodeid >= 1 && nodeIndex < m_nodes.size() && !m_nodes[nodeIndex].gone;

    auto attributes = [this](std::uint64_t id) {
        const Node &node = m_nodes[id - 1];
        fuse_attr attr{};
        attr.ino = id;
        attr.size = node.size;
        attr.blocks = (node.size + 511) / 512;
        attr.atime = attr.mtime = attr.ctime = FixedSeconds;
        attr.mode = (node.folder ? S_IFDIR : S_IFREG) | node.mode;
        attr.nlink = node.folder ? 2 : 1;
        attr.uid = ::geteuid();
        attr.gid = ::getegid();
        attr.blksize = 4096;
        return attr;
    };
    auto replyEntry = [&](std::uint64_t id) {
        fuse_entry_out entry{};
        entry.nodeid = id;
        entry.attr = attributes(id); // valid for no time: every call comes back here
        reply(in.unique, 0, &entry, sizeof entry);
    };

    switch (in.opcode) {
    case FUSE_INIT: {
        fuse_init_out init{};
        init.major = FUSE_KERNEL_VERSION;
        init.minor = FUSE_KERNEL_MINOR_VERSION;
        init.max_readahead = bodyAs<fuse_init_in>(request)->max_readahead;
        init.max_background = 1;
        init.congestion_threshold = 1;
        init.max_write = 4096;
        reply(in.unique, 0, &init, sizeof init);
        return;
    }
    case FUSE_FORGET:
    case FUSE_BATCH_FORGET:
    case FUSE_INTERRUPT:
        return; // no answer expected
    case FUSE_DESTROY:
        reply(in.unique, 0);
        return;
    default:
        break;
    }
    if (!known) {
        reply(in.unique, ENOENT);
        return;
    }
    const Node &node = m_nodes[nodeIndex];
    switch (in.opcode) {
    case FUSE_LOOKUP: {
        const std::uint64_t id = child(in.nodeid, name);
        if (id == 0)
            reply(in.unique, ENOENT);
        else if (const int error = failure(Op::Stat, name))
            reply(in.unique, error);
        else
            replyEntry(id);
        return;
    }
    case FUSE_GETATTR: {
        if (const int error = failure(Op::Stat, node.name)) {
            reply(in.unique, error);
            return;
        }
        fuse_attr_out out{};
        out.attr = attributes(in.nodeid);
        reply(in.unique, 0, &out, sizeof out);
        return;
    }
    case FUSE_OPENDIR:
    case FUSE_OPEN: {
        const Op op = in.opcode == FUSE_OPEN ? Op::Open : Op::ReadDir;
        if (const int error = failure(op, node.name)) {
            reply(in.unique, error);
            return;
        }
        fuse_open_out out{};
        out.open_flags = FOPEN_DIRECT_IO;
        reply(in.unique, 0, &out, sizeof out);
        return;
    }
    case FUSE_READDIR: {
        const auto &read = *bodyAs<fuse_read_in>(request);
        std::vector<char> out;
        std::uint64_t index = 0;
        for (std::size_t i = 1; i < m_nodes.size(); ++i) {
            const Node &entry = m_nodes[i];
            if (entry.gone || entry.parent != in.nodeid)
                continue;
            if (index++ < read.offset)
                continue;
            const std::size_t size = FUSE_DIRENT_ALIGN(FUSE_NAME_OFFSET + entry.name.size());
            if (out.size() + size > read.size)
                break;
            std::vector<char> record(size, 0);
            fuse_dirent dirent{i + 1, index, static_cast<std::uint32_t>(entry.name.size()),
                               entry.folder ? 4u : 8u}; // DT_DIR, DT_REG
            std::memcpy(record.data(), &dirent, FUSE_NAME_OFFSET);
            std::memcpy(record.data() + FUSE_NAME_OFFSET, entry.name.data(), entry.name.size());
            out.insert(out.end(), record.begin(), record.end());
        }
        reply(in.unique, 0, out.data(), out.size());
        return;
    }
    case FUSE_READ: {
        const auto &read = *bodyAs<fuse_read_in>(request);
        const std::uint64_t left = read.offset < node.size ? node.size - read.offset : 0;
        const std::vector<char> zeros(std::min<std::uint64_t>(left, read.size), 0);
        reply(in.unique, 0, zeros.data(), zeros.size());
        return;
    }
    case FUSE_MKDIR: {
        const char *newName = name + sizeof(fuse_mkdir_in);
        if (const int error = failure(Op::MkDir, newName)) {
            reply(in.unique, error);
            return;
        }
        if (child(in.nodeid, newName) != 0) {
            reply(in.unique, EEXIST);
            return;
        }
        m_nodes.push_back(Node{newName, in.nodeid, true, false, 0, 0755});
        replyEntry(m_nodes.size());
        return;
    }
    case FUSE_UNLINK:
    case FUSE_RMDIR: {
        const bool folder = in.opcode == FUSE_RMDIR;
        const std::uint64_t id = child(in.nodeid, name);
        if (id == 0) {
            reply(in.unique, ENOENT);
            return;
        }
        if (const int error = failure(folder ? Op::RmDir : Op::Unlink, name)) {
            reply(in.unique, error);
            return;
        }
        Node &gone = m_nodes[id - 1];
        if (gone.folder != folder) {
            reply(in.unique, folder ? ENOTDIR : EISDIR);
            return;
        }
        for (const Node &other : m_nodes) {
            if (folder && !other.gone && other.parent == id) {
                reply(in.unique, ENOTEMPTY);
                return;
            }
        }
        gone.gone = true;
        reply(in.unique, 0);
        return;
    }
    case FUSE_STATFS: {
        fuse_statfs_out out{};
        out.st.blocks = out.st.bfree = out.st.bavail = 1024;
        out.st.files = out.st.ffree = 1024;
        out.st.bsize = out.st.frsize = 4096;
        out.st.namelen = 255;
        reply(in.unique, 0, &out, sizeof out);
        return;
    }
    case FUSE_RELEASE:
    case FUSE_RELEASEDIR:
    case FUSE_FLUSH:
    case FUSE_ACCESS:
    case FUSE_FSYNC:
    case FUSE_FSYNCDIR:
        reply(in.unique, 0);
        return;
    default:
        (void)length;
        reply(in.unique, ENOSYS);
        return;
    }
}

} // namespace quervelle::test
