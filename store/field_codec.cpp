#include "store/field_codec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/date_time.h"

namespace store {
namespace {

using runtime::Value;
namespace vt = runtime::type;

bool IsIntegerType(std::uint32_t type) {
  return type == vt::kByte || type == vt::kShort || type == vt::kInt || type == vt::kLong;
}

// A floating value cut towards zero; what no 64-bit integer holds becomes
// the lowest one, as the processor's conversion does.
std::int64_t TruncateToInt64(double v) {
  if (std::isnan(v) || v >= 9223372036854775808.0 || v < -9223372036854775808.0)
    return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(v);
}

float ToFloat(double v) {
  if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
  if (v > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (v < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

void StoreLe(std::span<std::uint8_t> out, std::uint64_t bits) {
  for (std::size_t k = 0; k < out.size(); ++k) out[k] = static_cast<std::uint8_t>(bits >> (8 * k));
}

std::uint64_t LoadLe(std::span<const std::uint8_t> in) {
  std::uint64_t bits = 0;
  for (std::size_t k = 0; k < in.size(); ++k) bits |= std::uint64_t{in[k]} << (8 * k);
  return bits;
}

}  // namespace

std::uint32_t ValueTypeOf(FieldType type) {
  switch (type) {
    case FieldType::kByte:
      return vt::kByte;
    case FieldType::kShort:
      return vt::kShort;
    case FieldType::kInt:
      return vt::kInt;
    case FieldType::kLong:
      return vt::kLong;
    case FieldType::kFloat:
      return vt::kFloat;
    case FieldType::kDouble:
      return vt::kDouble;
    case FieldType::kBool:
      return vt::kBool;
    case FieldType::kDateTime:
      return vt::kDateTime;
    case FieldType::kSubroutine:
      return vt::kSubroutinePointer;
    case FieldType::kText:
    case FieldType::kLongText:
      return vt::kText;
    case FieldType::kByteSet:
      return vt::kByteSet;
  }
  return vt::kNone;
}

Value BlankValue(FieldType type) {
  switch (type) {
    case FieldType::kByte:
      return Value::Byte(0);
    case FieldType::kShort:
      return Value::Short(0);
    case FieldType::kInt:
      return Value::Int(0);
    case FieldType::kLong:
      return Value::Long(0);
    case FieldType::kFloat:
      return Value::Float(0);
    case FieldType::kDouble:
      return Value::Double(0);
    case FieldType::kBool:
      return Value::Bool(false);
    case FieldType::kDateTime:
      return Value::DateTime(0);
    case FieldType::kSubroutine:
      return Value::Subroutine(0);
    case FieldType::kText:
    case FieldType::kLongText:
      return Value::OfText({});
    case FieldType::kByteSet:
      return Value::OfBytes({});
  }
  return {};
}

Value ConvertNumeric(const Value& value, std::uint32_t target) {
  std::uint32_t source = value.type();
  if (source == target) return value;
  bool from_integer = IsIntegerType(source);
  if (target == vt::kFloat)
    return Value::Float(from_integer ? static_cast<float>(value.AsInt64())
                                     : ToFloat(value.NumericValue()));
  if (target == vt::kDouble)
    return Value::Double(from_integer ? static_cast<double>(value.AsInt64())
                                      : value.NumericValue());
  std::int64_t whole = from_integer ? value.AsInt64() : TruncateToInt64(value.NumericValue());
  auto bits = static_cast<std::uint64_t>(whole);
  if (target == vt::kByte) return Value::Byte(static_cast<std::uint8_t>(bits));
  if (target == vt::kShort) return Value::Short(static_cast<std::int16_t>(bits & 0xFFFF));
  if (target == vt::kInt) return Value::Int(static_cast<std::int32_t>(bits & 0xFFFFFFFF));
  return Value::Long(whole);
}

std::optional<Value> ConformValue(const Value& value, FieldType type) {
  if (value.IsNone()) return BlankValue(type);
  std::uint32_t wanted = ValueTypeOf(type);
  if (value.type() == wanted) return value;
  if (value.IsNumeric() && vt::IsNumeric(wanted)) return ConvertNumeric(value, wanted);
  return std::nullopt;
}

void EncodeField(const FieldDescriptor& field, const Value& value, std::span<std::uint8_t> out) {
  switch (field.type) {
    case FieldType::kByte:
    case FieldType::kShort:
    case FieldType::kInt:
    case FieldType::kLong:
    case FieldType::kSubroutine:
      StoreLe(out, static_cast<std::uint64_t>(value.AsInt64()));
      return;
    case FieldType::kFloat:
      StoreLe(out, std::bit_cast<std::uint32_t>(value.AsFloat()));
      return;
    case FieldType::kDouble:
    case FieldType::kDateTime:
      StoreLe(out, std::bit_cast<std::uint64_t>(value.AsDouble()));
      return;
    case FieldType::kBool:
      out[0] = value.AsBool() ? 1 : 0;
      return;
    case FieldType::kText: {
      // The text and its 0 terminator, padded with zeros; a text of the
      // full width or longer is cut and has no terminator.
      const runtime::Text& text = value.AsText();
      std::size_t n = std::min(text.size(), out.size());
      std::memcpy(out.data(), text.data(), n);
      std::memset(out.data() + n, 0, out.size() - n);
      return;
    }
    case FieldType::kByteSet:
    case FieldType::kLongText:
      return;
  }
}

Value DecodeField(const FieldDescriptor& field, std::span<const std::uint8_t> bytes) {
  std::uint64_t bits = field.type == FieldType::kText ? 0 : LoadLe(bytes);
  switch (field.type) {
    case FieldType::kByte:
      return Value::Byte(static_cast<std::uint8_t>(bits));
    case FieldType::kShort:
      return Value::Short(static_cast<std::int16_t>(bits));
    case FieldType::kInt:
      return Value::Int(static_cast<std::int32_t>(bits));
    case FieldType::kLong:
      return Value::Long(static_cast<std::int64_t>(bits));
    case FieldType::kFloat:
      return Value::Float(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
    case FieldType::kDouble:
      return Value::Double(std::bit_cast<double>(bits));
    case FieldType::kBool:
      return Value::Bool(bits != 0);
    case FieldType::kDateTime: {
      double days = std::bit_cast<double>(bits);
      if (days > runtime::kLastDay) days = runtime::kLastDay;
      if (days < runtime::kFirstDay) days = runtime::kFirstDay;
      return Value::DateTime(days);
    }
    case FieldType::kSubroutine:
      return Value::Subroutine(static_cast<std::uintptr_t>(bits & 0xFFFFFFFF));
    case FieldType::kText: {
      std::size_t n = 0;
      while (n < bytes.size() && bytes[n] != 0) ++n;
      return Value::OfText(runtime::Text(reinterpret_cast<const char*>(bytes.data()), n));
    }
    case FieldType::kByteSet:
    case FieldType::kLongText:
      break;
  }
  return BlankValue(field.type);
}

std::span<const std::uint8_t> LongValueBytes(const Value& value) {
  if (value.type() == vt::kByteSet) return value.AsBytes();
  const runtime::Text& text = value.AsText();
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

Value LongValueOf(FieldType type, std::vector<std::uint8_t> bytes) {
  if (type == FieldType::kByteSet) return Value::OfBytes(std::move(bytes));
  std::size_t n = 0;
  while (n < bytes.size() && bytes[n] != 0) ++n;
  return Value::OfText(runtime::Text(reinterpret_cast<const char*>(bytes.data()), n));
}

}  // namespace store
