// A second process on the same files, for the tests of two desks, locks and
// killed writers, with a pipe each way to sequence the two. The child runs a
// body registered under a name with text arguments and ends with the body's
// result as its exit code; it never returns into the test. On POSIX the
// child is forked and calls the body at once; on Windows the test program
// starts itself again and finds the body by its name before the tests run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

class Channel {
 public:
  Channel() = default;
  // Ends of pipes as the system names them (descriptors or handles).
  Channel(std::intptr_t in, std::intptr_t out) : in_(in), out_(out) {}
  void Send(char c) const { WriteAll(&c, 1); }
  // The next byte; 0 when the other side has gone.
  char Receive() const {
    char c = 0;
    return ReadAll(&c, 1) ? c : 0;
  }
  void SendInt(std::int32_t value) const { WriteAll(&value, sizeof value); }
  // The next whole number, or nullopt when the other side has gone.
  std::optional<std::int32_t> ReceiveInt() const {
    std::int32_t value = 0;
    if (!ReadAll(&value, sizeof value)) return std::nullopt;
    return value;
  }
  void Close();

 private:
  void WriteAll(const void* data, std::size_t size) const;
  bool ReadAll(void* data, std::size_t size) const;

  std::intptr_t in_ = -1, out_ = -1;
};

using ChildArguments = std::vector<std::string>;
using ChildBody = int (*)(Channel&, const ChildArguments&);

// Registers `body` under `name` (at static initialisation, see
// CHILD_BODY); false when the name is taken.
bool RegisterChildBody(const std::string& name, ChildBody body);
// The body registered under `name`, or nullptr.
ChildBody FindChildBody(const std::string& name);

// When this program was started as a child, runs its body and gives its
// exit code; nullopt in the test program itself. Called first in main.
std::optional<int> RunChildIfAsked(int argc, char** argv);

class ChildProcess {
 public:
  ChildProcess(const std::string& body, ChildArguments arguments);
  // Kills a child still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return started_; }
  Channel& channel() { return channel_; }
  void Kill();
  // The exit code, or -1 when the child was killed.
  int Wait();

 private:
  bool started_ = false;
  bool waited_ = false;
  int exit_code_ = -1;
  std::intptr_t process_ = -1;  // the process id or handle
  Channel channel_;
};

}  // namespace testing_support

#define CHILD_BODY_CONCAT_(a, b) a##b
#define CHILD_BODY_CONCAT(a, b) CHILD_BODY_CONCAT_(a, b)
// Defines a child body: CHILD_BODY(name) { ...channel, arguments... return 0; }
#define CHILD_BODY(name)                                                    \
  static int name(::testing_support::Channel& channel,                      \
                  const ::testing_support::ChildArguments& arguments);      \
  [[maybe_unused]] static const bool CHILD_BODY_CONCAT(name, _registered) = \
      ::testing_support::RegisterChildBody(#name, &name);                   \
  static int name([[maybe_unused]] ::testing_support::Channel& channel,     \
                  [[maybe_unused]] const ::testing_support::ChildArguments& arguments)
