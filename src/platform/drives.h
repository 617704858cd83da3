#pragma once

// The drives of a Linux machine: "/" and every other mounted disk-backed file system, read
// from /proc/self/mountinfo, sorted by mount path in byte order.

#include <string>
#include <string_view>
#include <vector>

namespace quervelle {

struct Drive {
    std::string mountPath; // the drive's text (Drive1.Drive), exact bytes
    std::string label; // the file system's label, empty when it has none
    friend bool operator==(const Drive &, const Drive &) = default;
};

// The drives a mountinfo text describes (filtered and sorted; "/" always first).
std::vector<Drive> parseMountInfo(std::string_view mountinfo);

// The drives of this machine now, with their labels.
std::vector<Drive> currentDrives();

} // namespace quervelle
