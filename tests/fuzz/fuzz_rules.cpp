// Fuzzes the pure rules and the file-name patterns: matching never throws and gives the same
// answer every time and through both of its forms; composing a path is deterministic, reads
// Dir1.Path once per root text and adds the separator exactly when Dir1.Path is none of the
// roots; the drive-slot rules raise the overflow error at ListIndex 32767 and only there.
//
// Input: one byte of choices, ListIndex and ListCount (16-bit, little-endian), then the texts
// pattern, name, Dir1.Path, File1.Path and the typed filter text, separated by the byte 0x01.

#include "logic/rules.h"
#include "platform/files/errors.h"
#include "platform/files/pattern.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace quervelle;

namespace {

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "fuzz_rules: %s\n", what);
    std::abort();
}

void check(bool ok, const char *what) {
    if (!ok)
        fail(what);
}

std::vector<std::string> splitFields(std::string_view data, std::size_t count) {
    std::vector<std::string> fields;
    while (fields.size() + 1 < count) {
        const std::size_t end = data.find('\x01');
        if (end == std::string_view::npos)
            break;
        fields.emplace_back(data.substr(0, end));
        data.remove_prefix(end + 1);
    }
    fields.emplace_back(data);
    fields.resize(count);
    return fields;
}

bool matchesChecked(std::string_view pattern, std::string_view name) {
    try {
        const bool first = matchesPattern(pattern, name);
        check(first == matchesPattern(pattern, name), "matching is not deterministic");
        check(first == PatternMatcher(pattern).matches(name),
              "the prepared pattern and the plain match disagree");
        return first;
    } catch (...) {
        fail("matching threw");
    }
}

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?;") != text.npos;
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void checkPatterns(const std::string &pattern, const std::string &name) {
    matchesChecked(pattern, name);
    check(matchesChecked("*", name), "\"*\" refused a name");

    // Two alternatives match what either of them matches.
    const std::size_t cut = pattern.size() / 2;
    const std::string left = pattern.substr(0, cut);
    const std::string right = pattern.substr(cut);
    if (!left.empty() && !right.empty() && left.find(';') == left.npos &&
        right.find(';') == right.npos) {
        check(matchesChecked(left + ";" + right, name) ==
                  (matchesChecked(left, name) || matchesChecked(right, name)),
              "\"a;b\" is not \"a\" or \"b\"");
    }

    // The filter formed from any literal ending of the name keeps that name.
    if (!hasWildcard(name)) {
        for (std::size_t from = 0; from <= name.size(); ++from) {
            if (from < name.size() && isContinuationByte(name[from]))
                continue;
            const std::string filter = filterPattern(std::string_view(name).substr(from));
            check(filter == "*" + name.substr(from), "the filter is not \"*\" and the text");
            check(matchesChecked(filter, name), "a name was refused by its own ending");
        }
    }
}

void checkCompose(std::uint8_t choices, const std::string &dirPath, const std::string &filePath,
                  const std::string &name) {
    static constexpr RootSet sets[] = {DetailsRootSet, WriteRootSet, RunRootSet};
    const RootSet set = sets[choices % 3];
    const char separator = (choices & 4) ? '/' : '\\';

    std::size_t reads = 0;
    const auto readDir = [&] {
        ++reads;
        return dirPath;
    };
    const std::string first = composeFullPath(set, readDir, filePath, name, separator);
    check(reads == set.size(), "Dir1.Path not read once per root text");
    const std::string second = composeFullPath(set, readDir, filePath, name, separator);
    check(first == second, "composing is not deterministic");

    bool isRoot = false;
    for (std::string_view root : set)
        isRoot = isRoot || dirPath == root;
    const std::string expected = filePath + (isRoot ? "" : std::string(1, separator)) + name;
    check(first == expected, "the separator rule does not hold");
}

void checkDriveSlot(std::int16_t listIndex, std::int16_t listCount) {
    const bool overflows = listIndex == 32767;
    bool writeProtected = false;
    bool details = false;
    bool raised = false;
    try {
        writeProtected = isWriteProtectedDrive(listIndex, listCount);
    } catch (const OverflowError &) {
        raised = true;
    }
    check(raised == overflows, "write-protected test: overflow raised at the wrong index");
    raised = false;
    try {
        details = mayShowDetails(listIndex, listCount);
    } catch (const OverflowError &) {
        raised = true;
    }
    check(raised == overflows, "details test: overflow raised at the wrong index");
    if (!overflows) {
        const bool last = listIndex + 1 == listCount;
        check(writeProtected == last, "write-protected is not \"the last drive\"");
        check(details == (!last && listIndex != 0), "details not \"neither first nor last\"");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 5)
        return 0;
    const std::uint8_t choices = data[0];
    const auto index = static_cast<std::int16_t>(data[1] | (data[2] << 8));
    const auto count = static_cast<std::int16_t>(data[3] | (data[4] << 8));
    const std::vector<std::string> fields =
        splitFields(std::string_view(reinterpret_cast<const char *>(data) + 5, size - 5), 5);

    checkPatterns(fields[0], fields[1]);
    checkCompose(choices, fields[2], fields[3], fields[1]);
    checkDriveSlot(index, count);
    check(filterPattern(fields[4]) == "*" + fields[4], "the filter is not \"*\" and the text");
    return 0;
}
