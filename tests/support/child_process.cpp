#include "tests/support/child_process.h"

#include <map>

namespace testing_support {

namespace {

std::map<std::string, ChildBody>& Bodies() {
  static std::map<std::string, ChildBody> bodies;
  return bodies;
}

}  // namespace

bool RegisterChildBody(const std::string& name, ChildBody body) {
  return Bodies().emplace(name, body).second;
}

ChildBody FindChildBody(const std::string& name) {
  auto found = Bodies().find(name);
  return found == Bodies().end() ? nullptr : found->second;
}

}  // namespace testing_support
