// Death-test helper: runs `body` in a child process with headless dialogs
// whose runtime error box is written to standard error, and expects the
// program to end with 255 after a box that matches `pattern` (UTF-8,
// a gtest regular expression).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/gbk.h"
#include "platform/headless/headless.h"

namespace testing_support {

template <typename Body>
void ExpectRuntimeErrorReport(Body&& body, const std::string& pattern) {
  EXPECT_EXIT(
      {
        platform::ScriptedDialogs dialogs;
        dialogs.SetErrorObserver([](const std::string& text) {
          std::fprintf(stderr, "%s", platform::GbkToUtf8(text).c_str());
        });
        platform::ScopedServices services({nullptr, nullptr, &dialogs});
        body();
      },
      ::testing::ExitedWithCode(255), pattern);
}

}  // namespace testing_support
