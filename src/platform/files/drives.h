#pragma once

// The drives of this machine, in the order the drive list shows them. On Linux: "/" and every
// other mounted disk-backed file system, read from /proc/self/mountinfo, sorted by mount path in
// byte order (linux/mountinfo.h). On Windows: every drive letter, in letter order.

#include <string>
#include <vector>

namespace quervelle {

struct Drive {
    std::string mountPath; // the drive's text (Drive1.Drive), exact bytes
    std::string label;     // the file system's label, empty when it has none
    friend bool operator==(const Drive &, const Drive &) = default;
};

// The drives of this machine now, with their labels. Throws PlatformError when the system
// cannot say.
std::vector<Drive> currentDrives();

} // namespace quervelle
