// The per-type settings block at the end of a unit record, as typed values,
// and their byte layouts. Texts are counted strings (32-bit length, bytes).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "forms/byte_io.h"

namespace forms {

using Text = std::string;

// Colours are 0x00BBGGRR; kSystemColour means the desktop's own colour.
constexpr std::int32_t kSystemColour = -1;

// Window: border (4) control box (4) minimise button (4) maximise button (4)
//         background colour (4) icon (4) start position (4) reserved (64)
//         caption (counted)
//         then, only when either is set, the keyboard: escape closes (4)
//         tab-order count (4) unit ids (4 each)
struct WindowSettings {
  static constexpr std::size_t kFixedSize = 92;
  std::int32_t border = 1;  // 0 none, 1 fixed, 2 sizable
  std::int32_t control_box = 1;
  std::int32_t minimise_button = 1;
  std::int32_t maximise_button = 0;
  std::int32_t background = kSystemColour;
  std::int32_t icon = 0;            // 0 none, 1 the program's icon
  std::int32_t start_position = 0;  // 0 at the stored position
  Text caption;
  // Esc closes the window as its close box does.
  std::int32_t escape_closes = 0;
  // The units Tab visits first, in this order (forms/keyboard.h).
  std::vector<std::uint32_t> tab_order;
  friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};

// Label: alignment (4) text colour (4) background (4) border (4)
//        font height (4) font weight (4) reserved (52) caption (counted)
struct LabelSettings {
  static constexpr std::size_t kFixedSize = 76;
  std::int32_t alignment = 0;  // 0 left, 1 centre, 2 right
  std::int32_t text_colour = kSystemColour;
  std::int32_t background = kSystemColour;
  std::int32_t border = 0;
  std::int32_t font_height = 0;  // 0 = the window's font
  std::int32_t font_weight = 0;
  Text caption;
  friend bool operator==(const LabelSettings&, const LabelSettings&) = default;
};

// Button: style (4) text colour (4) reserved (16) caption (counted)
// Group box: text colour (4) reserved (16) caption (counted)
struct CaptionSettings {
  Text caption;
  std::int32_t text_colour = kSystemColour;
  friend bool operator==(const CaptionSettings&, const CaptionSettings&) = default;
};
constexpr std::size_t kButtonFixedSize = 24;
constexpr std::size_t kGroupBoxFixedSize = 20;

// Edit box: border style (4) reserved (4) text colour (4) background (4)
//           reserved (8) multi-line (4) scroll bars (4) reserved (4)
//           input mode (4) password mask (counted) password (4)
//           maximum length (4)
//           then, only when set, the button Enter presses (counted name)
// An empty settings block means every default.
struct EditBoxSettings {
  std::int32_t border = 1;
  std::int32_t text_colour = kSystemColour;
  std::int32_t background = kSystemColour;
  std::int32_t multi_line = 0;
  std::int32_t scroll_bars = 0;  // 2 = vertical
  std::int32_t input_mode = 0;
  Text password_mask = "*";
  std::int32_t password = 0;
  std::int32_t max_length = 0;  // 0 = no limit
  // The name of the button of the same window that Enter in the box presses
  // (empty: none; a multi-line box takes Enter as a line break).
  Text enter_presses;
  friend bool operator==(const EditBoxSettings&, const EditBoxSettings&) = default;
};

// Combo box: style (4) text colour (4) background (4) reserved (4)
//            current text (counted) item count (4) items (counted each)
struct ComboBoxSettings {
  std::int32_t style = 1;  // 0 editable, 1 drop-down list
  std::int32_t text_colour = kSystemColour;
  std::int32_t background = kSystemColour;
  Text text;
  std::vector<Text> items;
  friend bool operator==(const ComboBoxSettings&, const ComboBoxSettings&) = default;
};

// Tab: style (4) reserved (12) page count (4) captions (counted each)
struct TabSettings {
  std::int32_t style = 0;
  std::vector<Text> pages;
  friend bool operator==(const TabSettings&, const TabSettings&) = default;
};

// List view: style (4: bit 0 check boxes, bit 1 grid lines, bit 2 whole-row
//            selection) reserved (12)
//            font: height (4) weight (4) character set (4) face (counted)
//            column count (4), per column: image (4) alignment (4)
//            width (4) title (counted)
struct ListColumn {
  std::int32_t image = -1;
  std::int32_t alignment = 0;  // 0 left
  std::int32_t width = 0;
  Text title;
  friend bool operator==(const ListColumn&, const ListColumn&) = default;
};
struct ListViewSettings {
  static constexpr std::int32_t kCheckBoxes = 1 << 0;
  static constexpr std::int32_t kGridLines = 1 << 1;
  static constexpr std::int32_t kRowSelect = 1 << 2;
  std::int32_t style = kRowSelect;
  std::int32_t font_height = 14;
  std::int32_t font_weight = 400;
  std::int32_t font_charset = 134;  // GB2312
  Text font_face;
  std::vector<ListColumn> columns;
  bool check_boxes() const { return (style & kCheckBoxes) != 0; }
  friend bool operator==(const ListViewSettings&, const ListViewSettings&) = default;
};

// Grid: style (4) reserved (12) data source (counted)
// Data source: reserved (16) provider (counted)
struct LinkSettings {
  Text linked_unit;
  friend bool operator==(const LinkSettings&, const LinkSettings&) = default;
};
constexpr std::size_t kLinkFixedSize = 16;

Bytes EncodeWindow(const WindowSettings& settings);
Bytes EncodeLabel(const LabelSettings& settings);
Bytes EncodeButton(const CaptionSettings& settings);
Bytes EncodeGroupBox(const CaptionSettings& settings);
Bytes EncodeEditBox(const EditBoxSettings& settings);
Bytes EncodeComboBox(const ComboBoxSettings& settings);
Bytes EncodeTab(const TabSettings& settings);
Bytes EncodeListView(const ListViewSettings& settings);
Bytes EncodeLink(const LinkSettings& settings);

// Each decoder returns nullopt unless the bytes are exactly one block of its
// layout.
std::optional<WindowSettings> DecodeWindow(std::span<const std::uint8_t> bytes);
std::optional<LabelSettings> DecodeLabel(std::span<const std::uint8_t> bytes);
std::optional<CaptionSettings> DecodeButton(std::span<const std::uint8_t> bytes);
std::optional<CaptionSettings> DecodeGroupBox(std::span<const std::uint8_t> bytes);
std::optional<EditBoxSettings> DecodeEditBox(std::span<const std::uint8_t> bytes);
std::optional<ComboBoxSettings> DecodeComboBox(std::span<const std::uint8_t> bytes);
std::optional<TabSettings> DecodeTab(std::span<const std::uint8_t> bytes);
std::optional<ListViewSettings> DecodeListView(std::span<const std::uint8_t> bytes);
std::optional<LinkSettings> DecodeLink(std::span<const std::uint8_t> bytes);

// True when `bytes` are valid settings for a unit of `type` (types without
// settings need an empty block).
bool SettingsAreValid(std::uint32_t type, std::span<const std::uint8_t> bytes);

}  // namespace forms
