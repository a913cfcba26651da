// Unit type codes, window and unit ids, event and property numbers: the
// numbers by which the window template, the runtime and the order desk name
// the parts of a window.
#pragma once

#include <cstdint>

namespace forms {

// Unit type codes: library number x 0x10000 + type number.
namespace unit_type {
constexpr std::uint32_t kWindow = 0x10001;
constexpr std::uint32_t kMenu = 0x10003;
constexpr std::uint32_t kEditBox = 0x10005;
constexpr std::uint32_t kGroupBox = 0x10009;
constexpr std::uint32_t kLabel = 0x1000A;
constexpr std::uint32_t kButton = 0x1000B;
constexpr std::uint32_t kComboBox = 0x1000E;
constexpr std::uint32_t kTab = 0x10015;
constexpr std::uint32_t kDatePicker = 0x10017;
constexpr std::uint32_t kGrid = 0x10029;
constexpr std::uint32_t kDataSrc = 0x1002A;
constexpr std::uint32_t kNProvider = 0x1002B;
constexpr std::uint32_t kListView = 0x20004;

// True for the codes above.
bool IsKnown(std::uint32_t code);
// The type's name as the runtime's unit tables give it ("编辑框"), UTF-8.
const char* Name(std::uint32_t code);
}  // namespace unit_type

// Ids: top byte the kind, second byte 0x01, low 16 bits a serial number that
// is unique in the program.
namespace id_kind {
constexpr std::uint8_t kWindow = 0x52;
constexpr std::uint8_t kWindowUnit = 0x06;
constexpr std::uint8_t kUnit = 0x16;
constexpr std::uint8_t kMenuItem = 0x26;
constexpr std::uint8_t kModule = 0x19;
}  // namespace id_kind

constexpr std::uint32_t MakeId(std::uint8_t kind, std::uint16_t serial) {
  return std::uint32_t{kind} << 24 | 0x010000u | serial;
}
constexpr std::uint8_t IdKind(std::uint32_t id) { return static_cast<std::uint8_t>(id >> 24); }
// An id is valid when its bits 24-27 and its low 24 bits are both non-zero.
constexpr bool IsValidId(std::uint32_t id) {
  return (id & 0x0F000000u) != 0 && (id & 0x00FFFFFFu) != 0;
}

// Unit flags of the template.
namespace unit_flag {
constexpr std::uint32_t kVisible = 1u << 0;
constexpr std::uint32_t kDisabled = 1u << 1;
constexpr std::uint32_t kTabStop = 1u << 2;
}  // namespace unit_flag

// Menu-item flags of the template.
namespace menu_flag {
constexpr std::uint32_t kHidden = 1u << 0;
constexpr std::uint32_t kDisabled = 1u << 1;
constexpr std::uint32_t kChecked = 1u << 2;
}  // namespace menu_flag

// Event numbers. Type-specific events count from 0; events common to every
// unit are negative.
namespace event {
constexpr int kGotFocus = -7;
constexpr int kLostFocus = -8;
// Window.
constexpr int kCreated = 0;
constexpr int kWindowShown = 3;
constexpr int kWindowReady = 4;
// Button and tab strip.
constexpr int kClicked = 0;
// Edit box.
constexpr int kContentChanged = 0;
// Tab.
constexpr int kPageChanging = 1;
constexpr int kPageChanged = 2;
// Combo box and date picker: the user picked another item or date.
constexpr int kSelectionChanged = 0;
// List view.
constexpr int kRowSelected = 0;
constexpr int kCheckChanged = 1;
constexpr int kDoubleClicked = 3;
constexpr int kRightClicked = 5;
}  // namespace event

// Property numbers. 0-7 belong to every unit type except menu items.
namespace property {
constexpr int kLeft = 0;
constexpr int kTop = 1;
constexpr int kWidth = 2;
constexpr int kHeight = 3;
constexpr int kTag = 4;
constexpr int kVisible = 5;
constexpr int kDisabled = 6;
constexpr int kMousePointer = 7;
// Window, label, button, group box: the caption. Edit box and combo box: the text.
constexpr int kCaption = 8;
constexpr int kContent = 8;
// Tab: the current page, 0-based.
constexpr int kCurrentPage = 12;
// Date picker: the selected date.
constexpr int kSelectedDate = 10;
// List view: the selected row, 0-based, -1 when none is selected.
constexpr int kSelectedRow = 35;
// Menu items.
constexpr int kMenuCaption = 0;
constexpr int kMenuChecked = 1;
constexpr int kMenuDisabled = 2;
constexpr int kMenuVisible = 3;
}  // namespace property

}  // namespace forms
