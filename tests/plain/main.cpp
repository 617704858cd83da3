// The plain test runner: every table of tests/plain/ and, on Windows, of tests/windows/. An
// argument runs only the cases whose name holds it.

#include "support/plain/check.h"

int main(int argc, char **argv) {
    return quervelle::plain::runAll(argc > 1 ? argv[1] : "");
}
