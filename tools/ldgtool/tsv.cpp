#include "tools/ldgtool/tsv.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <memory>

#include "platform/gbk.h"
#include "runtime/date_time.h"

namespace ldgtool {
namespace {

using runtime::Value;
using store::FieldType;

void AppendHexByte(std::string& out, unsigned char byte) {
  static const char* digits = "0123456789abcdef";
  out += digits[byte >> 4];
  out += digits[byte & 15];
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

template <typename T>
bool ParseNumber(std::string_view cell, T& out) {
  if (cell.empty()) return false;
  const char* end = cell.data() + cell.size();
  auto [ptr, ec] = std::from_chars(cell.data(), end, out);
  return ec == std::errc() && ptr == end;
}

template <typename T>
std::string ShortestFloat(T value) {
  char buffer[64];
  auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, ptr) : std::string();
}

bool ParseInteger(std::string_view cell, std::int64_t low, std::int64_t high, std::int64_t& out) {
  return ParseNumber(cell, out) && out >= low && out <= high;
}

bool ParseDateTime(std::string_view cell, double& out) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  std::string text(cell);
  if (text.size() != 19 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
    return false;
  if (y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > runtime::DaysInMonth(y, mo) ||
      h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
    return false;
  out = runtime::MakeDateTime({y, mo, d, h, mi, s});
  return true;
}

}  // namespace

std::string EscapeText(std::string_view gbk) { return platform::GbkToEscapedUtf8(gbk, "\\\t\r\n"); }

bool UnescapeText(std::string_view cell, std::string& gbk) {
  gbk.clear();
  std::string run;
  auto flush = [&] {
    gbk += platform::Utf8ToGbk(run);
    run.clear();
  };
  for (std::size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] != '\\') {
      run += cell[i];
      continue;
    }
    flush();
    if (++i >= cell.size()) return false;
    switch (cell[i]) {
      case '\\':
        gbk += '\\';
        break;
      case 't':
        gbk += '\t';
        break;
      case 'r':
        gbk += '\r';
        break;
      case 'n':
        gbk += '\n';
        break;
      case 'x': {
        if (i + 2 >= cell.size()) return false;
        int high = HexDigit(cell[i + 1]), low = HexDigit(cell[i + 2]);
        if (high < 0 || low < 0) return false;
        gbk += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  flush();
  return true;
}

std::string FormatCell(const Value& value, FieldType type) {
  switch (type) {
    case FieldType::kByte:
    case FieldType::kShort:
    case FieldType::kInt:
    case FieldType::kLong:
      return std::to_string(value.AsInt64());
    case FieldType::kSubroutine:
      return std::to_string(static_cast<std::uint64_t>(value.AsInt64()) & 0xFFFFFFFFu);
    case FieldType::kFloat:
      return ShortestFloat(value.AsFloat());
    case FieldType::kDouble:
      return ShortestFloat(value.AsDouble());
    case FieldType::kBool:
      return value.AsBool() ? "1" : "0";
    case FieldType::kDateTime: {
      runtime::CivilTime t = runtime::BreakDown(value.AsDouble());
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                    t.hour, t.minute, t.second);
      return buffer;
    }
    case FieldType::kText:
    case FieldType::kLongText:
      return EscapeText(value.AsText());
    case FieldType::kByteSet: {
      const runtime::Bytes& bytes = value.AsBytes();
      if (bytes.empty()) return {};
      std::string out = "0x";
      for (std::uint8_t b : bytes) AppendHexByte(out, b);
      return out;
    }
  }
  return {};
}

bool ParseCell(std::string_view cell, FieldType type, Value& out) {
  std::int64_t whole = 0;
  switch (type) {
    case FieldType::kByte:
      if (!ParseInteger(cell, 0, 255, whole)) return false;
      out = Value::Byte(static_cast<std::uint8_t>(whole));
      return true;
    case FieldType::kShort:
      if (!ParseInteger(cell, -32768, 32767, whole)) return false;
      out = Value::Short(static_cast<std::int16_t>(whole));
      return true;
    case FieldType::kInt:
      if (!ParseInteger(cell, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max(), whole))
        return false;
      out = Value::Int(static_cast<std::int32_t>(whole));
      return true;
    case FieldType::kLong:
      if (!ParseNumber(cell, whole)) return false;
      out = Value::Long(whole);
      return true;
    case FieldType::kSubroutine:
      if (!ParseInteger(cell, 0, 0xFFFFFFFFll, whole)) return false;
      out = Value::Subroutine(static_cast<std::uintptr_t>(whole));
      return true;
    case FieldType::kFloat: {
      float f = 0;
      if (!ParseNumber(cell, f)) return false;
      out = Value::Float(f);
      return true;
    }
    case FieldType::kDouble: {
      double d = 0;
      if (!ParseNumber(cell, d)) return false;
      out = Value::Double(d);
      return true;
    }
    case FieldType::kBool:
      if (cell != "0" && cell != "1") return false;
      out = Value::Bool(cell == "1");
      return true;
    case FieldType::kDateTime: {
      double days = 0;
      if (!ParseDateTime(cell, days)) return false;
      out = Value::DateTime(days);
      return true;
    }
    case FieldType::kText:
    case FieldType::kLongText: {
      std::string gbk;
      if (!UnescapeText(cell, gbk)) return false;
      out = Value::OfText(std::move(gbk));
      return true;
    }
    case FieldType::kByteSet: {
      runtime::Bytes bytes;
      if (!cell.empty()) {
        if (cell.size() % 2 != 0 || cell.substr(0, 2) != "0x") return false;
        for (std::size_t i = 2; i < cell.size(); i += 2) {
          int high = HexDigit(cell[i]), low = HexDigit(cell[i + 1]);
          if (high < 0 || low < 0) return false;
          bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
      }
      out = Value::OfBytes(std::move(bytes));
      return true;
    }
  }
  return false;
}

}  // namespace ldgtool
