#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace quervelle {

// Runs aside on a second thread and here on this one at once, and returns when both are done;
// with no thread to be had, runs both here, aside first. What either throws is thrown here, once
// both have stopped.
template <typename Aside, typename Here> void runOnTwoThreads(Aside &&aside, Here &&here) {
    std::exception_ptr failure;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                aside();
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error &) {
        aside();
        here();
        return;
    }
    try {
        here();
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace quervelle
