// The serialised form of a report table: the byte set that the data source
// hands out and takes back, that the report book stores for each receipt and
// in which the receipt template is kept. A table read and written again
// gives the same bytes. All integers are little-endian.
//
//   mark            "GKQZ" (4)
//   size            rows R (int32), columns C (int32)
//   table settings  title rows N (int32), second setting (int32)
//   row heights     R x int32
//   column widths   C x int32
//   cells           R x C cell records, row by row, left to right
//   print settings  36 bytes (below)
//   (anything after them is kept and written back as it was)
//
// Cell record:
//   flags (int32) text colour (int32) background colour (int32)
//   font size (int16) font style (int16)
//   face length n (int32) face (n bytes, GBK, no terminator)
//   data length m (int32) data (m bytes: the text and its 0 byte)
//
// Print settings: margins left, top, right, bottom (4 x int32),
//   page-number position, scale code, paper size, orientation (4 x int16),
//   repeat last row, add table lines, rows per page (3 x int32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "report/table.h"

namespace report {

constexpr std::uint8_t kTableMark[4] = {'G', 'K', 'Q', 'Z'};
constexpr std::size_t kPrintSettingsSize = 36;
// The longest face name the writer of a table expects (its field holds 32
// bytes with the terminator). Longer names read from bytes are kept whole.
constexpr std::size_t kMaxFaceLength = 31;

// The serialised form of `table`.
Bytes WriteTable(const Table& table);

// The table serialised in `bytes`, or nullopt when they are not one: a
// different mark, a length that runs past the end, a negative count, or a
// table larger than a table may be. The job-only print settings of the
// result are the defaults.
std::optional<Table> ReadTable(std::span<const std::uint8_t> bytes);

}  // namespace report
