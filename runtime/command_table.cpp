#include "runtime/command_table.h"

#include "runtime/error_report.h"

namespace runtime {

void CommandTable::Add(std::string name, Command command) {
  commands_.insert_or_assign(std::move(name), std::move(command));
}

const Command* CommandTable::Find(std::string_view name) const {
  auto it = commands_.find(name);
  return it == commands_.end() ? nullptr : &it->second;
}

std::vector<std::string> CommandTable::Names() const {
  std::vector<std::string> names;
  names.reserve(commands_.size());
  for (const auto& [name, command] : commands_) names.push_back(name);
  return names;
}

CommandTable& Commands() {
  static CommandTable table;
  return table;
}

std::optional<Value> CallCommand(std::string_view name, Args args) {
  const Command* command = Commands().Find(name);
  if (command == nullptr) return std::nullopt;
  return GuardAllocation([&] { return (*command)(args); });
}

}  // namespace runtime
