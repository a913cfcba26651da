// The headless driver: runs the program from a script of user actions and
// writes what a person would see as a transcript.
//
// Each verb is a handler registered by name; the folders that own a kind of
// action (windows, data files, report tables) add their verbs. A handler that
// meets something unknown throws ScriptError, which ends the run with
// "SCRIPT-ERROR line N: <why>" and status 2.
#pragma once

#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/call_args.h"
#include "platform/headless/headless.h"

namespace driver {

struct ScriptError {
  std::string why;
};

class Driver {
 public:
  // `rest` is everything after the verb and its space (may be empty).
  using Verb = std::function<void(std::string_view rest)>;

  // Installs the headless services for its lifetime and writes to `out`.
  explicit Driver(std::ostream& out);
  ~Driver();
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  void AddVerb(std::string name, Verb verb);
  // Runs `undo` when the driver ends, newest first: verbs that hook into
  // run-wide services take their hooks out again this way.
  void OnEnd(std::function<void()> undo) { on_end_.push_back(std::move(undo)); }
  // Runs `hook` after each action that only prepares what comes next (`now`,
  // `clipboard`, `answer`, `password`, `filename`): such an action is not one
  // on a window, so a pop-up menu stays shown across it.
  void OnPreparation(std::function<void()> hook) { on_preparation_ = std::move(hook); }
  void SetUnitResolver(UnitResolver resolver) { resolve_unit_ = std::move(resolver); }
  const UnitResolver& unit_resolver() const { return resolve_unit_; }

  // Starts reading actions from `script`.
  void Begin(std::istream& script);
  // Runs the leading actions that need no window (`now`, `clipboard`,
  // `answer`), so that the program starts at the script's time with its
  // clipboard and answers in place. Returns false after a script error.
  bool RunPreamble();
  // Runs the next action. Returns false when the script has ended (or a
  // script error ended the run; see status()).
  bool Step();
  // Runs every remaining action; returns the exit status (0, or 2 after a
  // script error).
  int RunToEnd();
  int status() const { return status_; }

  // Writes one transcript line.
  void Print(std::string_view line);
  // "IGNORED <the current line>".
  void PrintIgnored();
  const std::string& current_line() const { return current_line_; }

  platform::FixedClock& clock() { return clock_; }
  platform::MemoryClipboard& clipboard() { return clipboard_; }
  platform::ScriptedDialogs& dialogs() { return dialogs_; }

 private:
  void AddBuiltInVerbs();
  // The next action line (skipping blanks and comments), without running it.
  const std::string* PeekAction();

  std::ostream& out_;
  std::istream* script_ = nullptr;
  std::map<std::string, Verb, std::less<>> verbs_;
  std::vector<std::function<void()>> on_end_;
  std::function<void()> on_preparation_;
  UnitResolver resolve_unit_;
  std::string current_line_;
  std::optional<std::string> pending_;  // an action read ahead
  int pending_line_number_ = 0;
  int line_number_ = 0;
  int status_ = 0;
  bool ended_ = false;

  platform::FixedClock clock_;
  platform::SystemClock system_clock_;
  platform::MemoryClipboard clipboard_;
  platform::ScriptedDialogs dialogs_;
  platform::ScopedServices services_;
};

}  // namespace driver
