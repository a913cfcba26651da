// The desktop of a headless run: no views; the user's actions come from a
// script, one step at a time, and a pop-up menu stays shown for the one
// action after the one that showed it (actions that only prepare what comes
// next do not count).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "forms/view.h"

namespace forms {

class FormRuntime;

// Thrown out of the message loop when the script cannot go on (a script
// error): every handler and loop on the way unwinds and the run ends.
struct InputAborted {};

class HeadlessDesktop : public Desktop {
 public:
  // `step` runs the next user action and returns false when there is none
  // left (it throws InputAborted when the input is broken off).
  using Step = std::function<bool()>;
  explicit HeadlessDesktop(Step step) : step_(std::move(step)) {}

  // The runtime to close when the actions run out: the program then ends as
  // if the user had closed its last window.
  void SetRuntime(FormRuntime* runtime) { runtime_ = runtime; }

  std::unique_ptr<WindowView> CreateView(Window&) override { return nullptr; }
  void ShowPopupMenu(Window& window, const std::vector<PopupItem>& items, int x, int y) override;
  void Post(std::function<void()> task) override { posted_.push_back(std::move(task)); }
  void RunLoop(const std::function<bool()>& done) override;
  void Wake() override {}

  struct ShownPopup {
    std::uint32_t window_id = 0;
    std::vector<PopupItem> items;
  };
  // The pop-up menu shown by the previous action, if any.
  const ShownPopup* popup() const;
  // Runs the posted work now (between actions).
  void RunPosted();
  // The action just run only prepared what comes next (an answer, the
  // clock, the clipboard): a pop-up menu it found shown stays shown for the
  // next action.
  void KeepPopup();

 private:
  Step step_;
  FormRuntime* runtime_ = nullptr;
  std::deque<std::function<void()>> posted_;
  std::uint64_t steps_ = 0;
  std::optional<ShownPopup> popup_;
  std::uint64_t popup_step_ = 0;
};

}  // namespace forms
