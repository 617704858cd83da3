#include "platform/files/directoryreader.h"

namespace quervelle {

std::error_code readFolder(const std::string &path, EntryKind kind, const PatternMatcher *pattern,
                           NameList &out, const std::function<void(std::size_t)> &progress) {
    FolderReading into;
    if (kind == EntryKind::File) {
        into.files = &out;
        into.filePattern = pattern;
    } else {
        into.folders = &out;
        into.folderPattern = pattern;
    }
    return readFolder(path, into, progress);
}

} // namespace quervelle
