#include "report/serial.h"

#include <algorithm>
#include <cstring>

#include "report/operations.h"

namespace report {
namespace {

class Writer {
 public:
  // The buffer starts at a size that holds a receipt without growing.
  Writer() { bytes_.reserve(1024); }

  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void I16(std::int16_t v) {
    auto u = static_cast<std::uint16_t>(v);
    bytes_.push_back(static_cast<std::uint8_t>(u));
    bytes_.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  void Raw(std::span<const std::uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
  }
  void Raw(std::string_view data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }

  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t left() const { return bytes_.size() - pos_; }
  bool U32(std::uint32_t& v) {
    if (left() < 4) return false;
    v = 0;
    for (int i = 0; i < 4; ++i)
      v |= std::uint32_t{bytes_[pos_ + static_cast<std::size_t>(i)]} << (8 * i);
    pos_ += 4;
    return true;
  }
  bool I32(std::int32_t& v) {
    std::uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<std::int32_t>(u);
    return true;
  }
  bool I16(std::int16_t& v) {
    if (left() < 2) return false;
    v = static_cast<std::int16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }
  // `n` bytes, or nullopt when fewer are left.
  std::optional<std::span<const std::uint8_t>> Take(std::size_t n) {
    if (left() < n) return std::nullopt;
    auto part = bytes_.subspan(pos_, n);
    pos_ += n;
    return part;
  }
  // A length field followed by that many bytes.
  std::optional<std::span<const std::uint8_t>> Counted() {
    std::int32_t n = 0;
    if (!I32(n) || n < 0) return std::nullopt;
    return Take(static_cast<std::size_t>(n));
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

// The smallest cell record: flags, two colours, size, style and two lengths.
constexpr std::size_t kMinCellRecord = 4 + 4 + 4 + 2 + 2 + 4 + 4;

void WriteSettings(Writer& out, const PrintSettings& p) {
  out.I32(p.margin_left);
  out.I32(p.margin_top);
  out.I32(p.margin_right);
  out.I32(p.margin_bottom);
  out.I16(p.page_number_position);
  out.I16(p.scale_code);
  out.I16(p.paper_size);
  out.I16(p.orientation);
  out.I32(p.repeat_last_row);
  out.I32(p.add_table_lines);
  out.I32(p.rows_per_page);
}

bool ReadSettings(Reader& in, PrintSettings& p) {
  return in.I32(p.margin_left) && in.I32(p.margin_top) && in.I32(p.margin_right) &&
         in.I32(p.margin_bottom) && in.I16(p.page_number_position) && in.I16(p.scale_code) &&
         in.I16(p.paper_size) && in.I16(p.orientation) && in.I32(p.repeat_last_row) &&
         in.I32(p.add_table_lines) && in.I32(p.rows_per_page);
}

bool ReadCell(Reader& in, Cell& cell) {
  if (!in.U32(cell.flags) || !in.U32(cell.text_colour) || !in.U32(cell.background_colour) ||
      !in.I16(cell.font_size) || !in.I16(cell.font_style))
    return false;
  auto face = in.Counted();
  if (!face) return false;
  cell.face.assign(face->begin(), face->end());
  auto data = in.Counted();
  if (!data) return false;
  cell.data.assign(data->begin(), data->end());
  return true;
}

}  // namespace

Bytes WriteTable(const Table& table) {
  Writer out;
  out.Raw(kTableMark);
  out.I32(table.rows());
  out.I32(table.columns());
  out.I32(table.title_rows);
  out.I32(table.second_setting);
  for (std::int32_t height : table.row_heights) out.I32(height);
  for (std::int32_t width : table.column_widths) out.I32(width);
  for (const Cell& cell : table.cells) {
    out.U32(cell.flags);
    out.U32(cell.text_colour);
    out.U32(cell.background_colour);
    out.I16(cell.font_size);
    out.I16(cell.font_style);
    out.I32(static_cast<std::int32_t>(cell.face.size()));
    out.Raw(cell.face);
    out.I32(static_cast<std::int32_t>(cell.data.size()));
    out.Raw(cell.data);
  }
  WriteSettings(out, table.print);
  out.Raw(table.trailing);
  return out.Take();
}

std::optional<Table> ReadTable(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  auto mark = in.Take(sizeof kTableMark);
  if (!mark || !std::equal(mark->begin(), mark->end(), std::begin(kTableMark))) return std::nullopt;

  std::int32_t rows = 0, columns = 0;
  Table table;
  if (!in.I32(rows) || !in.I32(columns) || rows < 0 || columns < 0 || !in.I32(table.title_rows) ||
      !in.I32(table.second_setting))
    return std::nullopt;
  const std::int64_t cells = std::int64_t{rows} * columns;
  if (rows > kMaxRows || cells > kMaxCells) return std::nullopt;
  // Everything still to come has a known least size: refuse counts the bytes
  // cannot hold before allocating for them.
  const auto least = (static_cast<std::uint64_t>(rows) + static_cast<std::uint64_t>(columns)) * 4 +
                     static_cast<std::uint64_t>(cells) * kMinCellRecord + kPrintSettingsSize;
  if (least > in.left()) return std::nullopt;

  table.row_heights.resize(static_cast<std::size_t>(rows));
  for (std::int32_t& height : table.row_heights)
    if (!in.I32(height)) return std::nullopt;
  table.column_widths.resize(static_cast<std::size_t>(columns));
  for (std::int32_t& width : table.column_widths)
    if (!in.I32(width)) return std::nullopt;
  table.cells.resize(static_cast<std::size_t>(cells));
  for (Cell& cell : table.cells)
    if (!ReadCell(in, cell)) return std::nullopt;
  if (!ReadSettings(in, table.print)) return std::nullopt;
  auto rest = in.Take(in.left());
  table.trailing.assign(rest->begin(), rest->end());
  return table;
}

}  // namespace report
