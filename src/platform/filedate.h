#pragma once

#include <cstdint>

namespace quervelle {

// A file's last modification time: whole seconds since 1970-01-01 00:00:00 UTC (negative
// before it), as the file system stores it.
struct FileDate {
    std::int64_t secondsSinceEpoch = 0;
    friend bool operator==(const FileDate &, const FileDate &) = default;
};

} // namespace quervelle
