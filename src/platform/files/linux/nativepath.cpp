#include "platform/files/pathtext.h"

#include "platform/files/errors.h"

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace quervelle::pathtext {

char pathSeparator() {
    return '/';
}

bool isAbsolutePath(std::string_view path) {
    return isAbsolutePath(path, '/');
}

std::string startFolder(std::error_code &error) {
    error.clear();
    std::string buffer(PATH_MAX, '\0');
    while (true) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.c_str());
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            error = errnoCode(errno);
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool leaveStartFolder(std::error_code &error) {
    error.clear();
    if (::chdir("/") != 0)
        error = errnoCode(errno);
    return !error;
}

} // namespace quervelle::pathtext
