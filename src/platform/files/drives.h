#pragma once

// The drives of this machine, in the order the drive list shows them. On Linux: "/" and every
// other mounted disk-backed file system, read from /proc/self/mountinfo, sorted by mount path in
// byte order (linux/mountinfo.h). On Windows: every drive letter, in letter order
// (windows/drives.cpp).

#include <string>
#include <vector>

namespace quervelle {

struct Drive {
    std::string root;  // where its folders start, exact bytes: the mount path, or "C:\"
    std::string label; // the file system's label, empty when it has none or it is not read
    friend bool operator==(const Drive &, const Drive &) = default;
};

// The drives of this machine now, with their labels. Throws PlatformError when the system
// cannot say.
std::vector<Drive> currentDrives();

// The drive the system itself lives on, for when the drives cannot be read: "/" on Linux, the
// root of the Windows folder's drive on Windows ("C:\" when even that cannot be read).
Drive systemDrive();

// What Drive1.Drive reads for drive. With '/' its mount path. With '\\' the lower-case letter
// and a colon, then " [label]" when it has one ("c: [Système]", "d:"), as the list shows it.
std::string driveText(const Drive &drive, char separator);

// The line the drive list shows for drive: with '/' the mount path, then " [label]" when it has
// one; with '\\' its driveText().
std::string driveLine(const Drive &drive, char separator);

} // namespace quervelle
