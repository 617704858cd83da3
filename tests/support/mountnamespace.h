#pragma once

// Mounts for tests: main() enters a private mount namespace before any thread exists, so that
// every mount a test makes is seen by this process only. Where that is refused, the tests that
// need a mount skip with the reason.

#include <QString>

#include <string>
#include <vector>

namespace quervelle::test {

void enterPrivateMountNamespace();      // first thing in main(); warns with the reason if refused
const QString &mountNamespaceRefused(); // empty when entered
QString systemError(const char *what);  // "what: the system's reason", from errno

// The mounts one test makes, detached in reverse order by unmountAll() or when it goes. Each
// call returns why it failed, empty when done.
class TestMounts {
public:
    TestMounts() = default;
    ~TestMounts() { unmountAll(); }
    TestMounts(const TestMounts &) = delete;
    TestMounts &operator=(const TestMounts &) = delete;
    QString mount(const char *source, const std::string &target, const char *type,
                  unsigned long flags, const char *options); // a remount is not recorded
    QString bind(const std::string &source, const std::string &target);
    QString unmount(const std::string &target); // lazily: the mount goes even while in use
    // As a user unmounts a disk: refused ("target is busy") while any process works in it.
    QString unmountNow(const std::string &target);
    void unmountAll();

private:
    std::vector<std::string> m_mounted;
};

} // namespace quervelle::test
