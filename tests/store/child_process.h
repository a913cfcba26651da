// The store's tests name the child processes of the shared test support.
#pragma once

#include "tests/support/child_process.h"

namespace store_test {
using testing_support::Channel;
using testing_support::ChildArguments;
using testing_support::ChildProcess;
}  // namespace store_test
