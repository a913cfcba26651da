// Field values as TSV cells (UTF-8), the form ldgtool dumps and imports.
#pragma once

#include <string>
#include <string_view>

#include "runtime/value.h"
#include "store/format.h"

namespace ldgtool {

// A GBK text as a cell: UTF-8 with \\ \t \r \n escaped and every byte that
// is not valid GBK written \xNN.
std::string EscapeText(std::string_view gbk);
// The GBK text of a cell written by EscapeText; false on a bad escape.
bool UnescapeText(std::string_view cell, std::string& gbk);

// A field value as a cell: integers in decimal, floating numbers in the
// shortest form that reads back the same, bool 1 or 0, date-time
// YYYY-MM-DD HH:MM:SS, texts escaped, byte sets as 0x and lowercase hex.
std::string FormatCell(const runtime::Value& value, store::FieldType type);
// The value of a cell for a field of `type`; false when the cell does not
// read as one.
bool ParseCell(std::string_view cell, store::FieldType type, runtime::Value& out);

}  // namespace ldgtool
