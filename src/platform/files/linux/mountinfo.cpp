#include "platform/files/linux/mountinfo.h"

#include "platform/files/errors.h"
#include "platform/files/pathtext.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace quervelle {

namespace {

// Disk-backed file systems, and the network ones that stand for a remote disk.
constexpr std::array<std::string_view, 21> driveTypes = {
    "ext2",     "ext3",    "ext4", "xfs",   "btrfs", "f2fs",  "jfs",
    "reiserfs", "zfs",     "vfat", "exfat", "ntfs",  "ntfs3", "fuseblk",
    "hfsplus",  "iso9660", "udf",  "nfs",   "nfs4",  "cifs",  "smb3",
};

constexpr std::array<std::string_view, 4> networkTypes = {"nfs", "nfs4", "cifs", "smb3"};

// System trees that hold mounts of the system's own, never a user's drive.
constexpr std::array<std::string_view, 7> systemTrees = {
    "/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker", "/var/lib/containers",
};

bool inSystemTree(std::string_view path) {
    if (pathtext::liesUnder(path, "/run/media", '/'))
        return false;
    return std::any_of(systemTrees.begin(), systemTrees.end(), [path](std::string_view tree) {
        return pathtext::liesUnder(path, tree, '/');
    });
}

template <std::size_t N>
bool listed(const std::array<std::string_view, N> &list, std::string_view value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

// Undoes the kernel's escapes of mountinfo fields: a backslash and three octal digits.
std::string unescapeOctal(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 255) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t end = std::min(line.find(' ', pos), line.size());
        if (end > pos)
            fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

template <typename T> bool parseNumber(std::string_view text, T &value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseLine(std::string_view line, MountEntry &entry) {
    const std::vector<std::string_view> fields = splitFields(line);
    if (fields.size() < 9)
        return false;
    std::size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-")
        ++dash;
    if (dash + 2 >= fields.size())
        return false;
    const std::string_view device = fields[2];
    const std::size_t colon = device.find(':');
    if (colon == std::string_view::npos || !parseNumber(fields[0], entry.id) ||
        !parseNumber(fields[1], entry.parentId) ||
        !parseNumber(device.substr(0, colon), entry.major) ||
        !parseNumber(device.substr(colon + 1), entry.minor))
        return false;
    entry.root = unescapeOctal(fields[3]);
    entry.mountPath = unescapeOctal(fields[4]);
    entry.fsType = unescapeOctal(fields[dash + 1]);
    entry.source = unescapeOctal(fields[dash + 2]);
    return !entry.mountPath.empty();
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string canonical(const std::string &path) {
    struct Free {
        void operator()(char *p) const { std::free(p); }
    };
    std::unique_ptr<char, Free> resolved(::realpath(path.c_str(), nullptr));
    return resolved ? std::string(resolved.get()) : std::string();
}

struct LabelLink {
    std::string label;
    std::string device; // the canonical path the link leads to
    bool hasDeviceNumber = false;
    dev_t deviceNumber = 0;
};

std::vector<LabelLink> readLabelLinks(const std::string &folder) {
    std::vector<LabelLink> links;
    struct CloseDir {
        void operator()(DIR *d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir)
        return links;
    while (const dirent *ent = ::readdir(dir.get())) {
        const std::string name = ent->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        LabelLink link;
        link.label = unescapeLabelName(name);
        link.device = canonical(folder + "/" + name);
        if (link.device.empty())
            continue;
        struct stat st {};
        if (::stat(link.device.c_str(), &st) == 0 && (S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode))) {
            link.hasDeviceNumber = true;
            link.deviceNumber = st.st_rdev;
        }
        links.push_back(std::move(link));
    }
    std::sort(links.begin(), links.end(),
              [](const LabelLink &a, const LabelLink &b) { return a.label < b.label; });
    return links;
}

std::string labelFor(const MountEntry &mount, const std::vector<LabelLink> &links) {
    const std::string source =
        !mount.source.empty() && mount.source[0] == '/' ? canonical(mount.source) : std::string();
    for (const LabelLink &link : links) {
        if (!source.empty() && link.device == source)
            return link.label;
        if (link.hasDeviceNumber && ::major(link.deviceNumber) == mount.major &&
            ::minor(link.deviceNumber) == mount.minor)
            return link.label;
    }
    return {};
}

} // namespace

std::vector<MountEntry> parseMountEntries(std::string_view mountinfo) {
    std::vector<MountEntry> entries;
    std::size_t pos = 0;
    while (pos < mountinfo.size()) {
        const std::size_t end = std::min(mountinfo.find('\n', pos), mountinfo.size());
        MountEntry entry;
        if (parseLine(mountinfo.substr(pos, end - pos), entry))
            entries.push_back(std::move(entry));
        pos = end + 1;
    }
    return entries;
}

std::vector<MountEntry> driveMounts(const std::vector<MountEntry> &entries) {
    // Of the mounts on one path, the one on top is the one no other mount there stands on.
    std::vector<MountEntry> tops;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const MountEntry &entry = entries[i];
        bool covered = false;
        for (std::size_t j = 0; j < entries.size() && !covered; ++j) {
            if (j == i || entries[j].mountPath != entry.mountPath)
                continue;
            // j stands on i, or j came later on the same path without a parent link between
            // the two (the later one wins).
            covered = entries[j].parentId == entry.id || (j > i && entry.parentId != entries[j].id);
        }
        if (!covered)
            tops.push_back(entry);
    }

    std::vector<MountEntry> drives;
    bool hasRoot = false;
    for (MountEntry &entry : tops) {
        if (entry.mountPath == "/") {
            if (hasRoot)
                continue;
            hasRoot = true;
            drives.push_back(std::move(entry));
        } else if (entry.mountPath[0] == '/' && listed(driveTypes, entry.fsType) &&
                   !inSystemTree(entry.mountPath) &&
                   std::none_of(drives.begin(), drives.end(), [&entry](const MountEntry &d) {
                       return d.mountPath == entry.mountPath;
                   })) {
            drives.push_back(std::move(entry));
        }
    }
    if (!hasRoot) {
        MountEntry root;
        root.mountPath = "/";
        root.root = "/";
        drives.push_back(std::move(root));
    }
    std::sort(drives.begin(), drives.end(),
              [](const MountEntry &a, const MountEntry &b) { return a.mountPath < b.mountPath; });
    return drives;
}

std::vector<Drive> parseMountInfo(std::string_view mountinfo) {
    std::vector<Drive> drives;
    for (MountEntry &mount : driveMounts(parseMountEntries(mountinfo)))
        drives.push_back(Drive{std::move(mount.mountPath), {}});
    return drives;
}

std::string unescapeLabelName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            hexValue(name[i + 2]) >= 0 && hexValue(name[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(name[i + 2]) * 16 + hexValue(name[i + 3]));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

std::vector<Drive> resolveDrives(std::string_view mountinfo, const std::string &byLabelFolder) {
    const std::vector<LabelLink> links = readLabelLinks(byLabelFolder);
    std::vector<Drive> drives;
    for (const MountEntry &mount : driveMounts(parseMountEntries(mountinfo))) {
        // A file bound over a file (as containers do for /etc/hosts) is no drive. Network
        // mounts are not looked at, so that an unreachable server cannot stall the list.
        if (mount.mountPath != "/" && !listed(networkTypes, mount.fsType)) {
            struct stat st {};
            if (::stat(mount.mountPath.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
                continue;
        }
        drives.push_back(Drive{mount.mountPath, labelFor(mount, links)});
    }
    return drives;
}

std::vector<Drive> currentDrives() {
    const std::string table = "/proc/self/mountinfo";
    errno = 0;
    std::ifstream file(table, std::ios::binary);
    if (!file)
        throw errorFromErrno(errno != 0 ? errno : EIO, table);
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad())
        throw errorFromErrno(EIO, table);
    return resolveDrives(text.str(), "/dev/disk/by-label");
}

Drive systemDrive() {
    return Drive{"/", {}};
}

} // namespace quervelle
