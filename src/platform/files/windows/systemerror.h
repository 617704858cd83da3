#pragma once

// Windows error codes as the program's errors: one table, used by the folder reader, the file
// operations and the drive list alike.

#include "platform/files/errors.h"

#include <string>
#include <system_error>

namespace quervelle::windows {

// A Windows error code (GetLastError()) typed as such: in std::system_category(); none for 0.
std::error_code codeOf(unsigned long code);

// The condition a Windows error code (GetLastError()) stands for.
ErrorKind errorKindOf(unsigned long code);

// The system's own sentence for code, in the user's language, without its final full stop;
// "code N" when the system has none.
std::string systemText(unsigned long code);

// A PlatformError for code on path. detail, when given, is shown in parentheses after the
// French sentence; for a condition without a sentence of its own the system's text is.
PlatformError errorFrom(unsigned long code, const std::string &path, std::string detail = {});

// The error of the call that just failed on path.
[[noreturn]] void throwLastError(const std::string &path);

// While alive, the system answers a missing disk or an unreadable drive with an error code
// instead of a box that waits for the user.
class QuietErrors {
public:
    QuietErrors();
    ~QuietErrors();
    QuietErrors(const QuietErrors &) = delete;
    QuietErrors &operator=(const QuietErrors &) = delete;

private:
    unsigned long m_previous = 0;
};

} // namespace quervelle::windows
