#include "forms/settings.h"

#include "forms/ids.h"

namespace forms {
namespace {

// A count of entries that each take at least `min_size` bytes; fails the
// reader when the rest of the block cannot hold that many.
std::uint32_t ReadCount(ByteReader& in, std::size_t min_size) {
  std::uint32_t count = in.U32();
  if (count > in.remaining() / min_size) {
    in.Fail();
    return 0;
  }
  return count;
}

template <typename T>
std::optional<T> Finish(ByteReader& in, T value) {
  if (!in.AtEnd()) return std::nullopt;
  return value;
}

void WriteTexts(ByteWriter& out, const std::vector<Text>& texts) {
  out.U32(static_cast<std::uint32_t>(texts.size()));
  for (const Text& text : texts) out.Counted(text);
}

std::vector<Text> ReadTexts(ByteReader& in) {
  std::vector<Text> texts(ReadCount(in, 4));
  for (Text& text : texts) text = in.Counted();
  return texts;
}

}  // namespace

Bytes EncodeWindow(const WindowSettings& s) {
  ByteWriter out;
  for (std::int32_t field : {s.border, s.control_box, s.minimise_button, s.maximise_button,
                             s.background, s.icon, s.start_position})
    out.I32(field);
  out.Zeros(WindowSettings::kFixedSize - 7 * 4);
  out.Counted(s.caption);
  if (s.escape_closes != 0 || !s.tab_order.empty()) {
    out.I32(s.escape_closes);
    out.U32(static_cast<std::uint32_t>(s.tab_order.size()));
    for (std::uint32_t id : s.tab_order) out.U32(id);
  }
  return out.Take();
}

std::optional<WindowSettings> DecodeWindow(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  WindowSettings s;
  for (std::int32_t* field : {&s.border, &s.control_box, &s.minimise_button, &s.maximise_button,
                              &s.background, &s.icon, &s.start_position})
    *field = in.I32();
  in.Skip(WindowSettings::kFixedSize - 7 * 4);
  s.caption = in.Counted();
  if (in.ok() && !in.AtEnd()) {
    s.escape_closes = in.I32();
    s.tab_order.resize(ReadCount(in, 4));
    for (std::uint32_t& id : s.tab_order) id = in.U32();
    if (s.escape_closes == 0 && s.tab_order.empty()) in.Fail();  // written only when set
  }
  return Finish(in, s);
}

Bytes EncodeLabel(const LabelSettings& s) {
  ByteWriter out;
  for (std::int32_t field :
       {s.alignment, s.text_colour, s.background, s.border, s.font_height, s.font_weight})
    out.I32(field);
  out.Zeros(LabelSettings::kFixedSize - 6 * 4);
  out.Counted(s.caption);
  return out.Take();
}

std::optional<LabelSettings> DecodeLabel(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  LabelSettings s;
  for (std::int32_t* field :
       {&s.alignment, &s.text_colour, &s.background, &s.border, &s.font_height, &s.font_weight})
    *field = in.I32();
  in.Skip(LabelSettings::kFixedSize - 6 * 4);
  s.caption = in.Counted();
  return Finish(in, s);
}

namespace {

Bytes EncodeCaption(const CaptionSettings& s, std::size_t fixed_size) {
  ByteWriter out;
  out.I32(s.text_colour);
  out.Zeros(fixed_size - 4);
  out.Counted(s.caption);
  return out.Take();
}

std::optional<CaptionSettings> DecodeCaption(std::span<const std::uint8_t> bytes,
                                             std::size_t fixed_size) {
  ByteReader in(bytes);
  CaptionSettings s;
  s.text_colour = in.I32();
  in.Skip(fixed_size - 4);
  s.caption = in.Counted();
  return Finish(in, s);
}

}  // namespace

Bytes EncodeButton(const CaptionSettings& s) { return EncodeCaption(s, kButtonFixedSize); }
Bytes EncodeGroupBox(const CaptionSettings& s) { return EncodeCaption(s, kGroupBoxFixedSize); }
std::optional<CaptionSettings> DecodeButton(std::span<const std::uint8_t> bytes) {
  return DecodeCaption(bytes, kButtonFixedSize);
}
std::optional<CaptionSettings> DecodeGroupBox(std::span<const std::uint8_t> bytes) {
  return DecodeCaption(bytes, kGroupBoxFixedSize);
}

Bytes EncodeEditBox(const EditBoxSettings& s) {
  ByteWriter out;
  out.I32(s.border);
  out.I32(0);
  out.I32(s.text_colour);
  out.I32(s.background);
  out.Zeros(8);
  out.I32(s.multi_line);
  out.I32(s.scroll_bars);
  out.I32(0);
  out.I32(s.input_mode);
  out.Counted(s.password_mask);
  out.I32(s.password);
  out.I32(s.max_length);
  if (!s.enter_presses.empty()) out.Counted(s.enter_presses);
  return out.Take();
}

std::optional<EditBoxSettings> DecodeEditBox(std::span<const std::uint8_t> bytes) {
  EditBoxSettings s;
  if (bytes.empty()) return s;
  ByteReader in(bytes);
  s.border = in.I32();
  in.Skip(4);
  s.text_colour = in.I32();
  s.background = in.I32();
  in.Skip(8);
  s.multi_line = in.I32();
  s.scroll_bars = in.I32();
  in.Skip(4);
  s.input_mode = in.I32();
  s.password_mask = in.Counted();
  s.password = in.I32();
  s.max_length = in.I32();
  if (in.ok() && !in.AtEnd()) {
    s.enter_presses = in.Counted();
    if (s.enter_presses.empty()) in.Fail();  // written only when set
  }
  if (s.input_mode < 0 || s.input_mode > 11 || s.max_length < 0) in.Fail();
  return Finish(in, s);
}

Bytes EncodeComboBox(const ComboBoxSettings& s) {
  ByteWriter out;
  out.I32(s.style);
  out.I32(s.text_colour);
  out.I32(s.background);
  out.I32(0);
  out.Counted(s.text);
  WriteTexts(out, s.items);
  return out.Take();
}

std::optional<ComboBoxSettings> DecodeComboBox(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  ComboBoxSettings s;
  s.style = in.I32();
  s.text_colour = in.I32();
  s.background = in.I32();
  in.Skip(4);
  s.text = in.Counted();
  s.items = ReadTexts(in);
  return Finish(in, s);
}

Bytes EncodeTab(const TabSettings& s) {
  ByteWriter out;
  out.I32(s.style);
  out.Zeros(12);
  WriteTexts(out, s.pages);
  return out.Take();
}

std::optional<TabSettings> DecodeTab(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  TabSettings s;
  s.style = in.I32();
  in.Skip(12);
  s.pages = ReadTexts(in);
  if (s.pages.empty()) in.Fail();
  return Finish(in, s);
}

Bytes EncodeListView(const ListViewSettings& s) {
  ByteWriter out;
  out.I32(s.style);
  out.Zeros(12);
  out.I32(s.font_height);
  out.I32(s.font_weight);
  out.I32(s.font_charset);
  out.Counted(s.font_face);
  out.U32(static_cast<std::uint32_t>(s.columns.size()));
  for (const ListColumn& column : s.columns) {
    out.I32(column.image);
    out.I32(column.alignment);
    out.I32(column.width);
    out.Counted(column.title);
  }
  return out.Take();
}

std::optional<ListViewSettings> DecodeListView(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  ListViewSettings s;
  s.style = in.I32();
  in.Skip(12);
  s.font_height = in.I32();
  s.font_weight = in.I32();
  s.font_charset = in.I32();
  s.font_face = in.Counted();
  s.columns.resize(ReadCount(in, 16));
  for (ListColumn& column : s.columns) {
    column.image = in.I32();
    column.alignment = in.I32();
    column.width = in.I32();
    column.title = in.Counted();
    if (column.width < 0) in.Fail();
  }
  return Finish(in, s);
}

Bytes EncodeLink(const LinkSettings& s) {
  ByteWriter out;
  out.Zeros(kLinkFixedSize);
  out.Counted(s.linked_unit);
  return out.Take();
}

std::optional<LinkSettings> DecodeLink(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  LinkSettings s;
  in.Skip(kLinkFixedSize);
  s.linked_unit = in.Counted();
  return Finish(in, s);
}

bool SettingsAreValid(std::uint32_t type, std::span<const std::uint8_t> bytes) {
  switch (type) {
    case unit_type::kWindow:
      return DecodeWindow(bytes).has_value();
    case unit_type::kLabel:
      return DecodeLabel(bytes).has_value();
    case unit_type::kButton:
      return DecodeButton(bytes).has_value();
    case unit_type::kGroupBox:
      return DecodeGroupBox(bytes).has_value();
    case unit_type::kEditBox:
      return DecodeEditBox(bytes).has_value();
    case unit_type::kComboBox:
      return DecodeComboBox(bytes).has_value();
    case unit_type::kTab:
      return DecodeTab(bytes).has_value();
    case unit_type::kListView:
      return DecodeListView(bytes).has_value();
    case unit_type::kGrid:
    case unit_type::kDataSrc:
      return DecodeLink(bytes).has_value();
    case unit_type::kDatePicker:
    case unit_type::kNProvider:
      return bytes.empty();
    default:
      return false;
  }
}

}  // namespace forms
