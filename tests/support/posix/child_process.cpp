// Children forked from the test: the body runs in the copy at once.
#include "tests/support/child_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

void Channel::Close() {
  if (in_ >= 0) close(static_cast<int>(in_));
  if (out_ >= 0) close(static_cast<int>(out_));
  in_ = out_ = -1;
}

void Channel::WriteAll(const void* data, std::size_t size) const {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(static_cast<int>(out_), p, size);
    if (n <= 0) return;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

bool Channel::ReadAll(void* data, std::size_t size) const {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = read(static_cast<int>(in_), p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<int> RunChildIfAsked(int, char**) { return std::nullopt; }

ChildProcess::ChildProcess(const std::string& body, ChildArguments arguments) {
  ChildBody run = FindChildBody(body);
  int to_child[2], to_parent[2];
  if (run == nullptr || pipe(to_child) != 0 || pipe(to_parent) != 0) return;
  const pid_t pid = fork();
  if (pid < 0) return;
  if (pid == 0) {
    close(to_child[1]);
    close(to_parent[0]);
    Channel channel(to_child[0], to_parent[1]);
    _exit(run(channel, arguments));
  }
  close(to_child[0]);
  close(to_parent[1]);
  channel_ = Channel(to_parent[0], to_child[1]);
  process_ = pid;
  started_ = true;
}

ChildProcess::~ChildProcess() {
  if (started_ && !waited_) {
    Kill();
    Wait();
  }
  channel_.Close();
}

void ChildProcess::Kill() {
  if (started_) kill(static_cast<pid_t>(process_), SIGKILL);
}

int ChildProcess::Wait() {
  if (!started_ || waited_) return exit_code_;
  int status = 0;
  while (waitpid(static_cast<pid_t>(process_), &status, 0) < 0) {
  }
  waited_ = true;
  exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return exit_code_;
}

}  // namespace testing_support
