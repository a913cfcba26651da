#include "driver/call_args.h"

#include <cctype>
#include <charconv>
#include <cstdio>

#include "driver/script_text.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "runtime/date_time.h"

namespace driver {
namespace {

using runtime::Value;

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS", nothing more.
bool ParseDate(std::string_view text, runtime::CivilTime& time) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
  std::string copy(text);
  bool whole_date = std::sscanf(copy.c_str(), "%d-%d-%d%n", &y, &mo, &d, &used) == 3 &&
                    static_cast<std::size_t>(used) == copy.size();
  bool date_and_time =
      !whole_date &&
      std::sscanf(copy.c_str(), "%d-%d-%d %d:%d:%d%n", &y, &mo, &d, &h, &mi, &s, &used) == 6 &&
      static_cast<std::size_t>(used) == copy.size();
  if (!whole_date && !date_and_time) return false;
  if (mo < 1 || mo > 12 || d < 1 || d > runtime::DaysInMonth(y, mo) || h > 23 || mi > 59 ||
      s > 59 || h < 0 || mi < 0 || s < 0)
    return false;
  time = {y, mo, d, h, mi, s};
  return true;
}

std::optional<Value> ParseHexBytes(std::string_view digits) {
  if (digits.size() % 2 != 0) return std::nullopt;
  runtime::Bytes bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(digits.data() + i, digits.data() + i + 2, value, 16);
    if (error != std::errc() || end != digits.data() + i + 2) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return Value::OfBytes(std::move(bytes));
}

std::optional<Value> ParseNumber(std::string_view word) {
  std::int64_t integer = 0;
  auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), integer);
  if (error == std::errc() && end == word.data() + word.size()) {
    if (integer >= INT32_MIN && integer <= INT32_MAX)
      return Value::Int(static_cast<std::int32_t>(integer));
    return Value::Long(integer);
  }
  double real = 0;
  auto [real_end, real_error] = std::from_chars(word.data(), word.data() + word.size(), real);
  if (real_error == std::errc() && real_end == word.data() + word.size())
    return Value::Double(real);
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<Value>> ParseCallArgs(std::string_view words,
                                                const UnitResolver& resolve_unit,
                                                std::string& why) {
  std::vector<Value> args;
  std::size_t i = 0;
  while (i < words.size()) {
    if (words[i] == ' ') {
      ++i;
      continue;
    }
    if (words[i] == '"') {
      // A quoted text runs to the next unescaped quote.
      std::size_t j = i + 1;
      while (j < words.size() && words[j] != '"') j += words[j] == '\\' ? 2 : 1;
      if (j >= words.size()) {
        why = "unterminated text argument";
        return std::nullopt;
      }
      args.push_back(Value::OfText(ScriptTextToGbk(words.substr(i + 1, j - i - 1))));
      i = j + 1;
      continue;
    }
    std::size_t end = words.find(' ', i);
    if (end == std::string_view::npos) end = words.size();
    std::string_view word = words.substr(i, end - i);
    if (word[0] == '@') {
      // A date may be followed by its time of day as the next word.
      std::size_t time_end = words.find(' ', end + 1);
      if (time_end == std::string_view::npos) time_end = words.size();
      runtime::CivilTime time;
      if (end < words.size() && ParseDate(words.substr(i + 1, time_end - i - 1), time)) {
        end = time_end;
      } else if (!ParseDate(word.substr(1), time)) {
        why = "bad date argument: " + std::string(word);
        return std::nullopt;
      }
      args.push_back(Value::DateTime(runtime::MakeDateTime(time)));
    } else if (word == "_") {
      args.emplace_back();
    } else if (word == "true" || word == "false") {
      args.push_back(Value::Bool(word == "true"));
    } else if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
      auto bytes = ParseHexBytes(word.substr(2));
      if (!bytes) {
        why = "bad byte-set argument: " + std::string(word);
        return std::nullopt;
      }
      args.push_back(*bytes);
    } else if (word[0] == ':') {
      auto unit = resolve_unit ? resolve_unit(word.substr(1)) : std::nullopt;
      if (!unit) {
        why = "unknown unit: " + std::string(word.substr(1));
        return std::nullopt;
      }
      args.push_back(*unit);
    } else if (auto number = ParseNumber(word)) {
      args.push_back(*number);
    } else {
      why = "bad argument: " + std::string(word);
      return std::nullopt;
    }
    i = end;
  }
  return args;
}

namespace {

// The VALUE part of a result line.
std::string ValueText(const Value& value) {
  if (value.IsText()) return Quoted(value.AsText());
  if (value.type() == runtime::type::kByteSet) {
    std::string hex = "0x";
    char digits[3];
    for (std::uint8_t byte : value.AsBytes()) {
      std::snprintf(digits, sizeof digits, "%02x", byte);
      hex += digits;
    }
    return hex;
  }
  if (value.IsUnit()) {
    char ids[40];
    std::snprintf(ids, sizeof ids, "0x%08x:0x%08x", value.AsUnit().window, value.AsUnit().unit);
    return ids;
  }
  return platform::GbkToUtf8(runtime::ToText(value), true);
}

}  // namespace

std::string FormatResult(const Value& result) {
  if (result.IsNone()) return "= none";
  if (result.IsArray()) {
    const runtime::Array& array = result.AsArray();
    std::string line = "= " + runtime::type::Name(array.element_type) + "[" +
                       std::to_string(array.elements.size()) + "]";
    for (const Value& element : array.elements) line += " " + ValueText(element);
    return line;
  }
  return "= " + runtime::type::Name(result.type()) + " " + ValueText(result);
}

}  // namespace driver
