// The built-in commands by name, all called the same way: the argument values
// in, one result value out (no value for commands without a result).
//
// The order desk calls typed C++ functions directly; the table serves the
// driver's `call` verb and anything else that must reach a command by name.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace runtime {

using Command = std::function<Value(Args)>;

class CommandTable {
 public:
  // Adds or replaces the command called `name`.
  void Add(std::string name, Command command);
  // The command called `name` (exact spelling), or nullptr.
  const Command* Find(std::string_view name) const;
  std::vector<std::string> Names() const;

 private:
  std::map<std::string, Command, std::less<>> commands_;
};

// The run-wide table. Each folder registers its commands once at start-up
// (RegisterCoreCommands and its siblings); registering twice is harmless.
CommandTable& Commands();

// Calls the command `name` with `args`. A memory shortage inside it ends in
// the runtime error report. Returns nullopt when no such command exists.
std::optional<Value> CallCommand(std::string_view name, Args args);

// The core commands: texts, numbers, money words, dates, clipboard, settings
// files, the current directory, message boxes.
void RegisterCoreCommands(CommandTable& table);

}  // namespace runtime
