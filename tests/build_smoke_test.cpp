#include <gtest/gtest.h>

// Keeps the suite non-empty and proves the test toolchain links.
TEST(Build, TestToolchainLinks) { SUCCEED(); }
