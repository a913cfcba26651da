// Opening a goods link in the user's browser. The browser opens in a window
// of its own, and a link no browser could take would fail unseen: the status
// line says which it was.
#pragma once

#include <string_view>

namespace desk {

// Opens `link` (GBK) in the browser and says on the status line whether it
// could.
void OpenGoodsLink(std::string_view link);

}  // namespace desk
