// The tagged value in which every command argument and result, unit property
// and event argument travels.
//
// A Value carries a type code and its data. Type 0 is "no value": an omitted
// optional argument, or the result of a command that returns nothing; it is
// never the same as a given value whose data is zero. Texts are GBK byte
// strings, byte sets are byte vectors, arrays hold their elements; all are
// owned by the Value, so nothing needs releasing by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace runtime {

// A GBK byte string; lengths and positions are bytes.
using Text = std::string;
// The bytes of a byte set; an empty vector is the empty byte set.
using Bytes = std::vector<std::uint8_t>;

// Type codes, as stored in the type word of a value.
namespace type {
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kBool = 0x80000002;
constexpr std::uint32_t kDateTime = 0x80000003;
constexpr std::uint32_t kText = 0x80000004;
constexpr std::uint32_t kByteSet = 0x80000005;
constexpr std::uint32_t kSubroutinePointer = 0x80000006;
constexpr std::uint32_t kDeferredCondition = 0x80000008;
constexpr std::uint32_t kByte = 0x80000101;
constexpr std::uint32_t kShort = 0x80000201;
constexpr std::uint32_t kInt = 0x80000301;
constexpr std::uint32_t kLong = 0x80000401;
constexpr std::uint32_t kFloat = 0x80000501;
constexpr std::uint32_t kDouble = 0x80000601;
// Or-ed into an element type's code for an array of that type.
constexpr std::uint32_t kArrayFlag = 0x20000000;

// Unit references: 0x000LTTTT, L the library (1 core, 2 extended UI), TTTT
// the unit type number.
constexpr std::uint32_t UnitType(std::uint32_t library, std::uint32_t number) {
  return library << 16 | number;
}

enum class Class { kNone, kBasic, kUnit, kRecord };
constexpr Class ClassOf(std::uint32_t code) {
  if (code == kNone) return Class::kNone;
  if (code >= 0x80000000u && code <= 0xBFFFFFFFu) return Class::kBasic;
  if (code >= 0x00000001u && code <= 0x3FFFFFFFu) return Class::kUnit;
  return Class::kRecord;
}
constexpr bool IsNumeric(std::uint32_t code) {
  return ClassOf(code) == Class::kBasic && (code & 0xFF) == 0x01 && (code & kArrayFlag) == 0;
}
constexpr bool IsArray(std::uint32_t code) {
  return ClassOf(code) == Class::kBasic && (code & kArrayFlag) != 0;
}

// Readable name of a type code ("Int", "Text", "Text[]", "UnitRef", ...).
std::string Name(std::uint32_t code);
}  // namespace type

// A window or unit, by the ids the window template gives them. `unit` is 0
// for a window itself.
struct UnitRef {
  std::uint32_t window = 0;
  std::uint32_t unit = 0;
  friend bool operator==(const UnitRef&, const UnitRef&) = default;
};

class Value;

// A condition that is computed only inside the command that takes it; it
// must yield a Bool.
using Condition = std::function<Value()>;

// An array of values of one element type, with its dimension sizes.
struct Array {
  std::uint32_t element_type = type::kNone;
  std::vector<std::int32_t> dimensions;  // one entry for a one-dimensional array
  std::vector<Value> elements;
};

class Value {
 public:
  Value() = default;  // no value (type 0)

  static Value Bool(bool v) { return Value(type::kBool, std::int64_t{v ? 1 : 0}); }
  static Value DateTime(double days) { return Value(type::kDateTime, days); }
  static Value OfText(Text text) { return Value(type::kText, std::move(text)); }
  static Value OfBytes(Bytes bytes) { return Value(type::kByteSet, std::move(bytes)); }
  static Value Byte(std::uint8_t v) { return Value(type::kByte, std::int64_t{v}); }
  static Value Short(std::int16_t v) { return Value(type::kShort, std::int64_t{v}); }
  static Value Int(std::int32_t v) { return Value(type::kInt, std::int64_t{v}); }
  static Value Long(std::int64_t v) { return Value(type::kLong, v); }
  static Value Float(float v) { return Value(type::kFloat, v); }
  static Value Double(double v) { return Value(type::kDouble, v); }
  static Value Subroutine(std::uintptr_t address) {
    return Value(type::kSubroutinePointer, static_cast<std::int64_t>(address));
  }
  static Value OfCondition(Condition condition) {
    return Value(type::kDeferredCondition, std::make_shared<Condition>(std::move(condition)));
  }
  // A unit reference; `unit_type` is the unit's type code (type::UnitType).
  static Value Unit(UnitRef ref, std::uint32_t unit_type) { return Value(unit_type, ref); }
  static Value OfArray(Array array);
  // A one-dimensional text array.
  static Value TextArray(std::vector<Text> texts);

  std::uint32_t type() const { return type_; }
  bool IsNone() const { return type_ == type::kNone; }
  bool IsNumeric() const { return type::IsNumeric(type_); }
  bool IsText() const { return type_ == type::kText; }
  bool IsUnit() const { return type::ClassOf(type_) == type::Class::kUnit; }
  bool IsArray() const { return type::IsArray(type_); }

  // The data as stored. Each accessor is meant for the types named: integer
  // types and Bool/SubroutinePointer for AsInt64; Float for AsFloat;
  // Double/DateTime for AsDouble. Asked of another type they return 0 / empty.
  std::int64_t AsInt64() const;
  float AsFloat() const;
  double AsDouble() const;
  // Bool: any non-zero data counts as true.
  bool AsBool() const { return AsInt64() != 0; }
  // Any numeric type widened to double (Bool, texts and the rest give 0).
  double NumericValue() const;
  const Text& AsText() const;    // empty for non-texts
  const Bytes& AsBytes() const;  // empty for non-byte-sets
  UnitRef AsUnit() const;        // {0,0} for non-units
  const Array& AsArray() const;  // empty array for non-arrays
  // Runs a deferred condition; a non-condition value is returned as it is.
  Value Evaluate() const;

  friend bool operator==(const Value& a, const Value& b);

 private:
  using Data = std::variant<std::monostate, std::int64_t, float, double, Text, Bytes, UnitRef,
                            std::shared_ptr<Condition>, std::shared_ptr<Array>>;
  Value(std::uint32_t type_code, Data data) : type_(type_code), data_(std::move(data)) {}

  std::uint32_t type_ = type::kNone;
  Data data_;
};

// The arguments of a command call: read-only, in order.
using Args = std::span<const Value>;

// Argument `i`, or no value when fewer were passed.
inline const Value& Arg(Args args, std::size_t i) {
  static const Value kNoValue;
  return i < args.size() ? args[i] : kNoValue;
}

}  // namespace runtime
