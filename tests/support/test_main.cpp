// The main of every test program: a program started as a test's child runs
// that child's body instead of the tests.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"

int main(int argc, char** argv) {
  if (std::optional<int> code = testing_support::RunChildIfAsked(argc, argv)) return *code;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
