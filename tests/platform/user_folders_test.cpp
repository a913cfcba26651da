#include "platform/user_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/gbk.h"

namespace {

// Sets an environment variable (or removes it) for one test, then puts
// back what was there.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedVariable() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void Set(const char* value) {
    if (value) {
      setenv(name_, value, 1);
    } else {
      unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> old_;
};

TEST(UserDataDirectory, FollowsXdgDataHomeWhenAbsoluteElseTheHomeFolder) {
  const struct {
    const char* xdg_data_home;
    const char* home;
    const char* expected;
  } cases[] = {
      {"/data/me", "/home/me", "/data/me/orderdesk"},
      {"/data/me/", "/home/me", "/data/me/orderdesk"},
      {"relative/data", "/home/me", "/home/me/.local/share/orderdesk"},
      {"", "/home/me", "/home/me/.local/share/orderdesk"},
      {nullptr, "/home/me", "/home/me/.local/share/orderdesk"},
      {nullptr, "/home/王", "/home/王/.local/share/orderdesk"},
  };
  for (const auto& c : cases) {
    ScopedVariable data_home("XDG_DATA_HOME", c.xdg_data_home);
    ScopedVariable home("HOME", c.home);
    const auto folder = platform::UserDataDirectory("orderdesk");
    ASSERT_TRUE(folder.has_value()) << c.expected;
    EXPECT_EQ(*folder, platform::Utf8ToGbk(c.expected)) << c.expected;
  }
}

}  // namespace
