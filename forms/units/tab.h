// The tab: a strip of page captions; each page holds its own units, and only
// the current page's units are shown.
#pragma once

#include <vector>

#include "forms/settings.h"
#include "forms/unit.h"

namespace forms {

class Tab : public Unit {
 public:
  Tab(Window& window, const UnitRecord& record);

  const std::vector<Text>& page_captions() const { return settings_.pages; }
  int page_count() const { return static_cast<int>(settings_.pages.size()); }
  int current_page() const { return current_; }
  // The units placed directly on each page.
  const std::vector<std::vector<Unit*>>& pages() const { return pages_; }
  void SetPageUnits(std::vector<std::vector<Unit*>> pages);

  // The program selects a page: the other pages' units are hidden, those of
  // `page` shown. No events. A page out of range is ignored.
  void SelectPage(int page);

  // The user clicks page `page`: PageChanging, the page changes,
  // PageChanged (these two only for another page), then Clicked.
  void ChoosePage(int page);
  // The user clicks the tab strip.
  void Click() { Raise(event::kClicked); }

 protected:
  int PropertyCount() const override { return 16; }
  std::optional<runtime::Value> ReadOwn(int number) const override;
  WriteResult WriteOwn(int number, const runtime::Value& value) override;

 private:
  TabSettings settings_;
  std::vector<std::vector<Unit*>> pages_;
  int current_ = 0;
};

}  // namespace forms
