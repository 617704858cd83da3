#pragma once

// A small test runner without Qt, for the layers that build without it (errors, files, logic),
// on Linux and on Windows (under wine) alike. A test is a table: each row is one case, run on its
// own and named "group/row" in the report. A failed check says where, what, and both values; a
// skipped row says why. The run ends with the line "N passed, M failed" and exits with 1 when a
// row failed or none ran.

#include <functional>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace quervelle::plain {

// Texts quoted, bytes outside printable ASCII as \xNN, 16-bit units as \uNNNN.
std::string shown(std::string_view bytes);
std::string shown(std::wstring_view units);
template <typename T>
requires std::is_arithmetic_v<T> || std::is_enum_v<T> std::string shown(T value) {
    if constexpr (std::is_enum_v<T>)
        return std::to_string(static_cast<long long>(value));
    else
        return std::to_string(value);
}

class Check {
public:
    // Records a failure unless ok, and returns ok.
    bool that(bool ok, const std::string &what,
              std::source_location where = std::source_location::current());

    template <typename A, typename B>
    bool equal(const A &actual, const B &expected, const std::string &what,
               std::source_location where = std::source_location::current()) {
        return that(actual == expected,
                    what + "\n        got:      " + shown(actual) +
                        "\n        expected: " + shown(expected),
                    where);
    }

    // Ends the row as skipped, never passed; the reason is printed.
    [[noreturn]] void skip(const std::string &reason);

    std::vector<std::string> failures;
};

bool addTest(std::string name, std::function<void(Check &)> body);

// One case per row, named group/row.name.
template <typename Row>
bool addTable(std::string_view group, const std::vector<Row> &rows,
              void (*body)(Check &, const Row &)) {
    for (const Row &row : rows)
        addTest(std::string(group) + "/" + row.name, [row, body](Check &c) { body(c, row); });
    return true;
}

// Runs the cases whose name holds filter, prints the report, returns the exit status.
int runAll(std::string_view filter);

} // namespace quervelle::plain
