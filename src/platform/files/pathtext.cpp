#include "platform/files/pathtext.h"

namespace quervelle::pathtext {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool endsWith(std::string_view path, char separator) {
    return !path.empty() && path.back() == separator;
}

} // namespace

bool isDriveRoot(std::string_view path, char separator) {
    if (separator == '\\')
        return path.size() == 3 && isLetter(path[0]) && path[1] == ':' && path[2] == '\\';
    return path.size() == 1 && path[0] == separator;
}

std::optional<std::string> driveRootNamed(std::string_view text, char separator) {
    if (separator != '\\' || text.size() < 2 || !isLetter(text[0]) || text[1] != ':' ||
        (text.size() > 2 && text[2] != ' '))
        return std::nullopt;
    const char letter = text[0] >= 'a' ? static_cast<char>(text[0] - 'a' + 'A') : text[0];
    return std::string{letter, ':', '\\'};
}

bool isAbsolutePath(std::string_view path, char separator) {
    if (separator != '\\')
        return !path.empty() && path[0] == separator;
    if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/'))
        return true;
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

std::string collapseSeparators(std::string_view path, char separator) {
    std::string out;
    out.reserve(path.size());
    std::size_t start = 0;
    if (separator == '\\' && path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        out = "\\\\";
        start = 2;
    }
    for (std::size_t i = start; i < path.size(); ++i) {
        if (path[i] == separator && endsWith(out, separator))
            continue;
        out += path[i];
    }
    return out;
}

std::string normalized(std::string_view path, char separator) {
    std::string out = collapseSeparators(path, separator);
    if (out.size() > 1 && endsWith(out, separator) && !isDriveRoot(out, separator) && out != "\\\\")
        out.pop_back();
    return out;
}

std::string join(std::string_view folder, std::string_view name, char separator) {
    std::string out;
    out.reserve(folder.size() + 1 + name.size());
    out.append(folder);
    if (!endsWith(out, separator))
        out += separator;
    out.append(name);
    return out;
}

std::string parentOf(std::string_view path, char separator) {
    const std::size_t last = path.find_last_of(separator);
    if (last == std::string_view::npos || isDriveRoot(path, separator) || path.size() == 1)
        return std::string(path);
    if (last == 0)
        return std::string(1, separator);
    if (separator == '\\' && last == 2 && path[1] == ':')
        return std::string(path.substr(0, 3));
    return std::string(path.substr(0, last));
}

std::string_view nameOf(std::string_view path, char separator) {
    const std::size_t last = path.find_last_of(separator);
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::vector<std::string> namesBelow(std::string_view path, std::string_view root, char separator) {
    std::vector<std::string> names;
    if (!liesUnder(path, root, separator))
        return names;
    std::size_t start = root.size();
    while (start < path.size()) {
        if (path[start] == separator) {
            ++start;
            continue;
        }
        std::size_t end = path.find(separator, start);
        if (end == std::string_view::npos)
            end = path.size();
        names.emplace_back(path.substr(start, end - start));
        start = end;
    }
    return names;
}

bool liesUnder(std::string_view path, std::string_view root, char separator) {
    if (root.empty() || path.substr(0, root.size()) != root)
        return false;
    return path.size() == root.size() || endsWith(root, separator) ||
           path[root.size()] == separator;
}

std::optional<std::size_t> longestRootHolding(std::span<const std::string> roots,
                                              std::string_view path, char separator) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        if (liesUnder(path, roots[i], separator) &&
            (!best || roots[i].size() > roots[*best].size()))
            best = i;
    }
    return best;
}

std::string driveRootOf(std::span<const std::string> roots, std::string_view path, char separator) {
    if (const auto drive = longestRootHolding(roots, path, separator))
        return roots[*drive];
    if (separator == '\\' && path.size() >= 2 && isLetter(path[0]) && path[1] == ':')
        return std::string{path[0], ':', '\\'};
    return std::string(1, separator);
}

} // namespace quervelle::pathtext
