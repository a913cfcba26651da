// What start-up does that a restore of the data files does again.
#pragma once

namespace desk {

// Opens the three data files under their aliases; the program cannot work
// without them and ends with the runtime error report when one will not open.
void OpenDataFiles();

// Reads the shop name and the inquiry number from "配置.ini" and shows the
// shop name in the title.
void ReadShopSettings();

}  // namespace desk
