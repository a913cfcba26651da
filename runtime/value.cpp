#include "runtime/value.h"

#include <cstdio>

namespace runtime {

std::string type::Name(std::uint32_t code) {
  if (IsArray(code)) return Name(code & ~kArrayFlag) + "[]";
  switch (code) {
    case kNone:
      return "none";
    case kBool:
      return "Bool";
    case kDateTime:
      return "DateTime";
    case kText:
      return "Text";
    case kByteSet:
      return "ByteSet";
    case kSubroutinePointer:
      return "SubroutinePointer";
    case kDeferredCondition:
      return "DeferredCondition";
    case kByte:
      return "Byte";
    case kShort:
      return "Short";
    case kInt:
      return "Int";
    case kLong:
      return "Long";
    case kFloat:
      return "Float";
    case kDouble:
      return "Double";
    default:
      break;
  }
  if (ClassOf(code) == Class::kUnit) return "UnitRef";
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%08x", code);
  return buffer;
}

Value Value::OfArray(Array array) {
  std::uint32_t code = array.element_type | type::kArrayFlag;
  return Value(code, std::make_shared<Array>(std::move(array)));
}

Value Value::TextArray(std::vector<Text> texts) {
  Array array;
  array.element_type = type::kText;
  array.dimensions = {static_cast<std::int32_t>(texts.size())};
  array.elements.reserve(texts.size());
  for (auto& text : texts) array.elements.push_back(OfText(std::move(text)));
  return OfArray(std::move(array));
}

std::int64_t Value::AsInt64() const {
  if (auto* v = std::get_if<std::int64_t>(&data_)) return *v;
  return 0;
}

float Value::AsFloat() const {
  if (auto* v = std::get_if<float>(&data_)) return *v;
  return 0;
}

double Value::AsDouble() const {
  if (auto* v = std::get_if<double>(&data_)) return *v;
  return 0;
}

double Value::NumericValue() const {
  if (!IsNumeric()) return 0;
  if (type_ == type::kFloat) return AsFloat();
  if (type_ == type::kDouble) return AsDouble();
  return static_cast<double>(AsInt64());
}

const Text& Value::AsText() const {
  static const Text kEmpty;
  if (auto* v = std::get_if<Text>(&data_)) return *v;
  return kEmpty;
}

const Bytes& Value::AsBytes() const {
  static const Bytes kEmpty;
  if (auto* v = std::get_if<Bytes>(&data_)) return *v;
  return kEmpty;
}

UnitRef Value::AsUnit() const {
  if (auto* v = std::get_if<UnitRef>(&data_)) return *v;
  return {};
}

const Array& Value::AsArray() const {
  static const Array kEmpty;
  if (auto* v = std::get_if<std::shared_ptr<Array>>(&data_)) return **v;
  return kEmpty;
}

Value Value::Evaluate() const {
  if (auto* v = std::get_if<std::shared_ptr<Condition>>(&data_)) return (**v)();
  return *this;
}

bool operator==(const Value& a, const Value& b) {
  if (a.type_ != b.type_) return false;
  if (auto* x = std::get_if<std::shared_ptr<Array>>(&a.data_)) {
    auto* y = std::get_if<std::shared_ptr<Array>>(&b.data_);
    return (*x)->element_type == (*y)->element_type && (*x)->dimensions == (*y)->dimensions &&
           (*x)->elements == (*y)->elements;
  }
  if (auto* x = std::get_if<std::shared_ptr<Condition>>(&a.data_)) {
    return *x == std::get<std::shared_ptr<Condition>>(b.data_);
  }
  return a.data_ == b.data_;
}

}  // namespace runtime
