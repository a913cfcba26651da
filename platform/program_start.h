// What every program's main does first, the same on every system.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace platform {

// The program's arguments as UTF-8, as a terminal gives them on Linux (on
// Windows they are taken from the system's UTF-16 command line, not from
// the narrow one, which holds only what the ANSI code page can), and the
// standard streams made to pass bytes unchanged: the transcripts and the
// tools' output end their lines with LF on every system.
class ProgramStart {
 public:
  ProgramStart(int argc, char** argv);
  ProgramStart(const ProgramStart&) = delete;
  ProgramStart& operator=(const ProgramStart&) = delete;

  int argc() const { return static_cast<int>(args_.size()); }
  // Null-terminated like main's argv; lives as long as this object.
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> args_;
  std::vector<char*> pointers_;
};

// `when` as the local wall-clock time.
std::tm ToLocalTime(std::time_t when);

}  // namespace platform
