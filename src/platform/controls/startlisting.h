#pragma once

#include "platform/files/directoryreader.h"

#include <exception>
#include <string>
#include <thread>

namespace quervelle {

// The folder the program starts in, read once for both lists and put in their order, on a
// thread of its own: a large folder is read and sorted while the application and its window
// are being made, instead of once per list after them.
class StartListing {
public:
    explicit StartListing(std::string folder); // starts reading at once
    ~StartListing();                           // waits for the reading to end
    StartListing(const StartListing &) = delete;
    StartListing &operator=(const StartListing &) = delete;

    const std::string &folder() const { return m_folder; }

    struct Lists {
        ReadyListing files; // under the default pattern
        ReadyListing folders;
    };

    // Waits for the reading to end and gives what it found, once; rethrows what ended it.
    Lists take();

private:
    void read() noexcept;

    std::string m_folder;
    Lists m_lists;
    std::exception_ptr m_failure;
    std::thread m_reader;
    bool m_taken = false;
};

} // namespace quervelle
