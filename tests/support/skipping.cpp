#include "support/skipping.h"

namespace quervelle::test {

namespace {

bool g_skipped = false;

} // namespace

void noteSkipped() {
    g_skipped = true;
}

int exitCode(int qExecResult) {
    return qExecResult == 0 && g_skipped ? SkippedExitCode : qExecResult;
}

} // namespace quervelle::test
