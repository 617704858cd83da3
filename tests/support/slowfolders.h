#pragma once

// A slow medium for the tests and the benchmark (Linux): while a delay is set, every system
// read of a folder's entries in this process (getdents64, 32 KiB at a time, as the C library
// reads them) takes that much longer, as on a network share, a slow USB stick or a disk that is
// waking up. It stands in for readdir() and closedir() in the program that links it; with no
// delay set they are the C library's own.

#include <chrono>

namespace quervelle::test {

void setFolderReadDelay(std::chrono::milliseconds delay);

// The system reads of folder entries slowed so far.
int slowedFolderReads();

} // namespace quervelle::test
