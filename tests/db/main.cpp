// The integration tests need the test MariaDB: without it they fail at once
// with the way to start it, never skip.
#include <gtest/gtest.h>

#include <cstdio>

#include "TestDatabase.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  try {
    saftpt::test::TestServer();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return RUN_ALL_TESTS();
}
