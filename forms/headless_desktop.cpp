#include "forms/headless_desktop.h"

#include "forms/form_runtime.h"
#include "forms/window.h"

namespace forms {

void HeadlessDesktop::ShowPopupMenu(Window& window, const std::vector<PopupItem>& items, int, int) {
  popup_ = ShownPopup{window.id(), items};
  popup_step_ = steps_;
}

const HeadlessDesktop::ShownPopup* HeadlessDesktop::popup() const {
  // Shown during the previous action, and closed by any later one.
  if (!popup_ || popup_step_ + 1 != steps_) return nullptr;
  return &*popup_;
}

void HeadlessDesktop::KeepPopup() {
  if (popup_ && popup_step_ + 1 == steps_) ++popup_step_;
}

void HeadlessDesktop::RunPosted() {
  while (!posted_.empty()) {
    auto task = std::move(posted_.front());
    posted_.pop_front();
    task();
  }
}

void HeadlessDesktop::RunLoop(const std::function<bool()>& done) {
  while (true) {
    RunPosted();
    if (done()) return;
    ++steps_;
    if (step_()) continue;
    // No more actions: the user closes what is open.
    RunPosted();
    if (runtime_ != nullptr) runtime_->CloseAll();
    RunPosted();
    if (done() || runtime_ == nullptr) return;
  }
}

}  // namespace forms
