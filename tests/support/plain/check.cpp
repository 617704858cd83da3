#include "support/plain/check.h"

#include <cstdio>
#include <exception>

namespace quervelle::plain {

namespace {

struct Case {
    std::string name;
    std::function<void(Check &)> body;
};

std::vector<Case> &cases() {
    static std::vector<Case> all;
    return all;
}

struct Skipped {
    std::string reason;
};

template <typename Unit> std::string quoted(std::basic_string_view<Unit> text, const char *escape) {
    std::string out = "\"";
    for (const Unit c : text) {
        const auto code = static_cast<unsigned>(static_cast<std::make_unsigned_t<Unit>>(c));
        if (code >= 0x20 && code < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(code);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, escape, code);
            out += buffer;
        }
    }
    return out + "\"";
}

} // namespace

std::string shown(std::string_view bytes) {
    return quoted(bytes, "\\x%02X");
}

std::string shown(std::wstring_view units) {
    return "L" + quoted(units, "\\u%04X");
}

bool Check::that(bool ok, const std::string &what, std::source_location where) {
    if (!ok) {
        const std::string file = where.file_name();
        failures.push_back(file.substr(file.find_last_of("/\\") + 1) + ":" +
                           std::to_string(where.line()) + ": " + what);
    }
    return ok;
}

void Check::skip(const std::string &reason) {
    throw Skipped{reason};
}

bool addTest(std::string name, std::function<void(Check &)> body) {
    cases().push_back(Case{std::move(name), std::move(body)});
    return true;
}

int runAll(std::string_view filter) {
    int passed = 0, failed = 0, skipped = 0;
    for (const Case &test : cases()) {
        if (test.name.find(filter) == std::string::npos)
            continue;
        Check check;
        std::string skipReason;
        try {
            test.body(check);
        } catch (const Skipped &skip) {
            skipReason = skip.reason;
        } catch (const std::exception &error) {
            check.that(false, std::string("threw: ") + error.what());
        }
        if (!check.failures.empty()) {
            ++failed;
            std::printf("FAIL %s\n", test.name.c_str());
            for (const std::string &failure : check.failures)
                std::printf("    %s\n", failure.c_str());
        } else if (!skipReason.empty()) {
            ++skipped;
            std::printf("SKIP %s: %s\n", test.name.c_str(), skipReason.c_str());
        } else {
            ++passed;
        }
    }
    if (skipped > 0)
        std::printf("%d skipped\n", skipped);
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed == 0 && passed > 0 ? 0 : 1;
}

} // namespace quervelle::plain
