// A child process for the tests that need a second process on the same
// files, with a pipe each way to sequence the two. The child runs a body
// and ends with its result as exit code; it never returns into the test.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace store_test {

class Channel {
 public:
  Channel() = default;
  Channel(int in, int out) : in_(in), out_(out) {}
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
  void Close() {
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
    in_ = out_ = -1;
  }

 private:
  void WriteAll(const void* data, std::size_t size) const {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t n = write(out_, p, size);
      if (n <= 0) return;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  bool ReadAll(void* data, std::size_t size) const {
    char* p = static_cast<char*>(data);
    while (size > 0) {
      ssize_t n = read(in_, p, size);
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  int in_ = -1, out_ = -1;
};

class ChildProcess {
 public:
  explicit ChildProcess(const std::function<int(Channel&)>& body) {
    int to_child[2], to_parent[2];
    if (pipe(to_child) != 0 || pipe(to_parent) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(to_child[1]);
      close(to_parent[0]);
      Channel channel(to_child[0], to_parent[1]);
      _exit(body(channel));
    }
    close(to_child[0]);
    close(to_parent[1]);
    channel_ = Channel(to_parent[0], to_child[1]);
  }
  ~ChildProcess() {
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      Wait();
    }
    channel_.Close();
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  Channel& channel() { return channel_; }
  void Kill() { kill(pid_, SIGKILL); }
  // The exit code, or -1 when the child was killed by a signal.
  int Wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0) {
    }
    waited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  bool waited_ = false;
  Channel channel_;
};

}  // namespace store_test
