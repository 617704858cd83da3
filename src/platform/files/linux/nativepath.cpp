#include "platform/files/pathtext.h"

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

std::string startFolder(int &error) {
    error = 0;
    std::string buffer(PATH_MAX, '\0');
    while (true) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.c_str());
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            error = errno;
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace quervelle::pathtext
