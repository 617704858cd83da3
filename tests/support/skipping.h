#pragma once

// CTest counts a test as skipped only when it exits with SkippedExitCode (the SKIP_RETURN_CODE
// every test is registered with); a Qt test that skips exits with 0 and would count as passed.
// A test that skips for want of something on this machine says so with QUERVELLE_SKIP and
// returns exitCode() from its main: SkippedExitCode when something was skipped and nothing
// failed, the failure otherwise, so that a failure always stays a failure.

#include <QApplication>
#include <QTest>

namespace quervelle::test {

inline constexpr int SkippedExitCode = 77;

void noteSkipped();
int exitCode(int qExecResult);

} // namespace quervelle::test

// QTEST_MAIN, returning exitCode().
#define QUERVELLE_TEST_MAIN(TestObject)                                                            \
    int main(int argc, char *argv[]) {                                                             \
        QApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        return ::quervelle::test::exitCode(QTest::qExec(&test, argc, argv));                       \
    }

#define QUERVELLE_SKIP(reason)                                                                     \
    do {                                                                                           \
        ::quervelle::test::noteSkipped();                                                          \
        QSKIP(reason);                                                                             \
    } while (false)
