#pragma once

// Reading the drives of a Linux machine from a mountinfo text (/proc/self/mountinfo): which
// mounts are drives, and their labels from /dev/disk/by-label.

#include "platform/files/drives.h"

#include <string>
#include <string_view>
#include <vector>

namespace quervelle {

// One line of a mountinfo text, its escapes (\040 and the like) undone.
struct MountEntry {
    int id = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root; // the folder of the source file system mounted here ("/" unless a bind)
    std::string mountPath;
    std::string fsType;
    std::string source;
};

// Every well-formed line of a mountinfo text, in order; malformed lines are skipped.
std::vector<MountEntry> parseMountEntries(std::string_view mountinfo);

// The mounts that are drives, one per mount path (the one mounted on top where a path is
// mounted over), sorted by mount path; "/" always first, whatever its type.
std::vector<MountEntry> driveMounts(const std::vector<MountEntry> &entries);

// The drives a mountinfo text describes (filtered and sorted; "/" always first), no labels.
std::vector<Drive> parseMountInfo(std::string_view mountinfo);

// A name of /dev/disk/by-label with its \xNN escapes undone ("Mes\x20photos" -> "Mes photos").
std::string unescapeLabelName(std::string_view name);

// The drives of a mountinfo text as this machine sees them: mount paths that are not folders
// (a file bound over a file) left out, labels taken from the links of byLabelFolder matched to
// each mount's source device.
std::vector<Drive> resolveDrives(std::string_view mountinfo, const std::string &byLabelFolder);

} // namespace quervelle
