#include "forms/grown_layout.h"

#include <vector>

#include "forms/units/list_view.h"
#include "forms/units/report_units.h"
#include "forms/units/tab.h"
#include "forms/window.h"

namespace forms {
namespace {

bool Overlap(int start_a, int length_a, int start_b, int length_b) {
  return start_a < start_b + length_b && start_b < start_a + length_a;
}

class Grower {
 public:
  explicit Grower(const Window& window) : window_(window) {}

  // A list or grid, or a container holding one.
  bool Grows(const Unit& unit) const {
    if (dynamic_cast<const ListView*>(&unit) != nullptr ||
        dynamic_cast<const Grid*>(&unit) != nullptr)
      return true;
    for (const auto& child : window_.units())
      if (child->container() == &unit && Grows(*child)) return true;
    return false;
  }

  // Lays out `siblings` in a container that is `width` × `height` larger.
  void Lay(const std::vector<const Unit*>& siblings, int width, int height) {
    std::vector<const Unit*> growing;
    for (const Unit* unit : siblings)
      if (Grows(*unit)) growing.push_back(unit);
    auto share_across = [&](const Unit& unit) {
      int side_by_side = 0;
      for (const Unit* other : growing)
        side_by_side +=
            Overlap(unit.rect().top, unit.rect().height, other->rect().top, other->rect().height);
      return side_by_side == 0 ? 0 : width / side_by_side;
    };
    auto share_down = [&](const Unit& unit) {
      int stacked = 0;
      for (const Unit* other : growing)
        stacked +=
            Overlap(unit.rect().left, unit.rect().width, other->rect().left, other->rect().width);
      return stacked == 0 ? 0 : height / stacked;
    };
    for (const Unit* unit : siblings) {
      Rect rect = unit->rect();
      for (const Unit* other : growing) {
        if (other == unit) continue;
        const Rect& by = other->rect();
        if (by.top + by.height <= unit->rect().top) rect.top += share_down(*other);
        if (by.left + by.width <= unit->rect().left &&
            Overlap(by.top, by.height, unit->rect().top, unit->rect().height))
          rect.left += share_across(*other);
      }
      int own_width = 0, own_height = 0;
      if (Grows(*unit)) {
        own_width = share_across(*unit);
        own_height = share_down(*unit);
        rect.width += own_width;
        rect.height += own_height;
      }
      rects_[unit] = rect;
      if (own_width == 0 && own_height == 0) {
        LayUnchanged(*unit);
      } else if (const auto* tab = dynamic_cast<const Tab*>(unit)) {
        for (const std::vector<Unit*>& page : tab->pages())
          Lay(std::vector<const Unit*>(page.begin(), page.end()), own_width, own_height);
      } else {
        Lay(ChildrenOf(unit), own_width, own_height);
      }
    }
  }

  std::vector<const Unit*> ChildrenOf(const Unit* container) const {
    std::vector<const Unit*> children;
    for (const auto& unit : window_.units())
      if (unit->container() == container && unit->type() != unit_type::kWindow)
        children.push_back(unit.get());
    return children;
  }

  std::map<const Unit*, Rect> Take() { return std::move(rects_); }

 private:
  void LayUnchanged(const Unit& container) {
    for (const auto& unit : window_.units())
      if (unit->container() == &container) {
        rects_[unit.get()] = unit->rect();
        LayUnchanged(*unit);
      }
  }

  const Window& window_;
  std::map<const Unit*, Rect> rects_;
};

}  // namespace

bool CanGrow(const Window& window) {
  Grower grower(window);
  for (const auto& unit : window.units())
    if (unit->type() != unit_type::kWindow && grower.Grows(*unit)) return true;
  return false;
}

std::map<const Unit*, Rect> GrownRects(const Window& window, int extra_width, int extra_height) {
  Grower grower(window);
  grower.Lay(grower.ChildrenOf(nullptr), extra_width, extra_height);
  return grower.Take();
}

}  // namespace forms
