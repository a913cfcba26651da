#include "store/format.h"

#include <algorithm>

#include "platform/gbk.h"

namespace store {
namespace {

// Position just after the last folder separator ('/' or a single-byte '\').
std::size_t NameStart(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); i += platform::CharLength(path, i))
    if (path[i] == '/' || path[i] == '\\') start = i + 1;
  return start;
}

// Position of the last '.' of the file name part, or npos.
std::size_t ExtensionDot(std::string_view path) {
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = NameStart(path); i < path.size(); i += platform::CharLength(path, i))
    if (path[i] == '.') dot = i;
  return dot;
}

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// GBK double-byte classes.
bool IsFullWidthLetter(unsigned char lead, unsigned char trail) {
  return lead == 0xA3 && ((trail >= 0xC1 && trail <= 0xDA) || (trail >= 0xE1 && trail <= 0xFA));
}
bool IsFullWidthDigit(unsigned char lead, unsigned char trail) {
  return lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9;
}
bool IsChineseCharacter(unsigned char lead, unsigned char trail) {
  if (lead >= 0xB0 && lead <= 0xF7) return trail >= 0xA1 && trail <= 0xFE;
  if (trail == 0x7F) return false;
  if (lead >= 0x81 && lead <= 0xA0) return trail >= 0x40 && trail <= 0xFE;
  if (lead >= 0xAA && lead <= 0xFE) return trail >= 0x40 && trail <= 0xA0;
  return false;
}

}  // namespace

bool IsValidName(std::string_view name) {
  if (name.empty()) return false;
  bool first = true;
  for (std::size_t i = 0; i < name.size(); first = false) {
    auto lead = static_cast<unsigned char>(name[i]);
    if (platform::IsLeadByte(lead)) {
      if (i + 1 >= name.size()) return false;
      auto trail = static_cast<unsigned char>(name[i + 1]);
      bool ok = IsFullWidthLetter(lead, trail) || IsChineseCharacter(lead, trail) ||
                (!first && IsFullWidthDigit(lead, trail));
      if (!ok) return false;
      i += 2;
    } else {
      if (!IsAsciiLetter(lead) && (first || !IsAsciiDigit(lead))) return false;
      ++i;
    }
  }
  return true;
}

std::int64_t FieldDescriptor::StoredWidth() const {
  switch (type) {
    case FieldType::kByte:
    case FieldType::kBool:
      return 1;
    case FieldType::kShort:
      return 2;
    case FieldType::kInt:
    case FieldType::kFloat:
    case FieldType::kSubroutine:
    case FieldType::kByteSet:
    case FieldType::kLongText:
      return 4;
    case FieldType::kLong:
    case FieldType::kDouble:
    case FieldType::kDateTime:
      return 8;
    case FieldType::kText:
      return width;
  }
  return 0;
}

bool ParseDescriptor(std::span<const std::uint8_t, kDescriptorSize> bytes, FieldDescriptor& out) {
  std::size_t name_length = kMaxNameLength + 1;
  for (std::size_t k = 0; k <= kMaxNameLength; ++k) {
    if (bytes[k] == 0) {
      name_length = k;
      break;
    }
  }
  if (name_length > kMaxNameLength) return false;
  std::int32_t type = LoadI32(bytes.data() + 20);
  std::int32_t offset = LoadI32(bytes.data() + 24);
  std::int32_t width = LoadI32(bytes.data() + 28);
  if (offset < 0 || !IsValidFieldType(type)) return false;
  if (type == static_cast<std::int32_t>(FieldType::kText) && width <= 0) return false;
  out.name.assign(reinterpret_cast<const char*>(bytes.data()), name_length);
  out.type = static_cast<FieldType>(type);
  out.offset = offset;
  out.width = width;
  return true;
}

std::int64_t FieldsExtent(const std::vector<FieldDescriptor>& fields) {
  std::int64_t extent = kSerialSize;
  for (const FieldDescriptor& f : fields)
    extent = std::max(extent, std::int64_t{f.offset} + f.StoredWidth());
  return extent;
}

bool RecordSizeFitsFields(std::int64_t record_size, const std::vector<FieldDescriptor>& fields) {
  const std::int64_t extent = FieldsExtent(fields);
  const std::int64_t aligned =
      (extent + kRecordAlignment - 1) / kRecordAlignment * kRecordAlignment;
  return record_size >= extent && record_size <= aligned && record_size <= kMaxRecordSize;
}

std::array<std::uint8_t, kDescriptorSize> SerializeDescriptor(const FieldDescriptor& field) {
  std::array<std::uint8_t, kDescriptorSize> bytes{};
  std::size_t n = std::min(field.name.size(), kMaxNameLength);
  std::memcpy(bytes.data(), field.name.data(), n);
  StoreI32(bytes.data() + 20, static_cast<std::int32_t>(field.type));
  StoreI32(bytes.data() + 24, field.offset);
  StoreI32(bytes.data() + 28, field.width);
  return bytes;
}

std::string WithDefaultExtension(std::string_view name) {
  std::string out(name);
  std::size_t dot = ExtensionDot(name);
  if (dot == std::string_view::npos)
    out += ".LDG";
  else if (dot + 1 == name.size())
    out += "LDG";
  return out;
}

std::string LongValueFileName(std::string_view data_file_name) {
  std::size_t dot = ExtensionDot(data_file_name);
  std::string out(data_file_name.substr(0, dot));
  out += ".LGT";
  return out;
}

std::string BaseName(std::string_view path) {
  std::size_t start = NameStart(path);
  std::size_t dot = ExtensionDot(path);
  std::size_t end = dot == std::string_view::npos ? path.size() : dot;
  return std::string(path.substr(start, end - start));
}

}  // namespace store
