// Skipping a test whose tool is missing. On a developer's machine a test that needs sox, lame,
// the Windows build or a locale skips when it is not there; on CI (the environment variable CI
// set, as the CI machine's set-up installs every tool) the same test fails, so a broken set-up
// cannot pass as a green run of skipped tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

inline bool RunningOnCi() {
    const char* ci = std::getenv("CI");
    return ci && *ci && std::strcmp(ci, "0") != 0 && std::strcmp(ci, "false") != 0;
}

// Use in a test body or SetUp: skips the test (or fails it on CI) with the reason given.
#define SKIP_UNLESS_CI(reason)                                          \
    do {                                                                \
        if (RunningOnCi()) GTEST_FAIL() << "missing on CI: " << reason; \
        GTEST_SKIP() << reason;                                         \
    } while (0)
