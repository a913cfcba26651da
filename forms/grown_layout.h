// Where the units of a window lie when the window is made larger than its
// designed size: the lists and grids take the extra room, and every other
// unit keeps its place beside them (below a list it moves down with the
// list's bottom edge, right of it with its right edge).
#pragma once

#include <map>

#include "forms/template.h"

namespace forms {

class Unit;
class Window;

// Whether the window holds a list or grid that can take extra room.
bool CanGrow(const Window& window);

// The rectangle of every unit (in its container, as Unit::rect) when the
// client area is `extra_width` × `extra_height` pixels larger than designed.
// Units side by side or one above the other that both grow share the room
// equally.
std::map<const Unit*, Rect> GrownRects(const Window& window, int extra_width, int extra_height);

}  // namespace forms
