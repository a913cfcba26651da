// The byte layout of data files (".ldg") and long-value files (".lgt").
// All integers are little-endian; int32 is signed.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace store {

// Data file header:
//   magic (4) version (4) reserved (8) recordCount (4) nextSerial (4)
//   recordSize (4) passwordDigest (33) reserved (51)
// then the field count (int32) at 112 and the 72-byte field descriptors.
constexpr std::size_t kHeaderSize = 112;
constexpr std::uint64_t kVersionOffset = 4;
constexpr std::uint64_t kRecordCountOffset = 16;
constexpr std::uint64_t kNextSerialOffset = 20;
constexpr std::uint64_t kRecordSizeOffset = 24;
constexpr std::uint64_t kDigestOffset = 28;
constexpr std::size_t kDigestFieldSize = 33;
constexpr std::uint64_t kFieldCountOffset = 112;
constexpr std::uint64_t kDescriptorsOffset = 116;
constexpr std::uint32_t kFormatVersion = 0x10000;
constexpr char kPlainMagic[4] = {'L', 'D', 'G', 'R'};
constexpr char kProtectedMagic[4] = {'L', 'D', 'G', 'P'};

// Field descriptor: name (20, 0-terminated within the first 17 bytes)
//   type (4) offset (4) width (4) reserved (40)
constexpr std::size_t kDescriptorSize = 72;
constexpr std::size_t kNameFieldSize = 20;
constexpr std::size_t kMaxNameLength = 16;

// The whole-file lock covers this many bytes from offset 0.
constexpr std::uint64_t kWholeFileLockLength = 2147483647;

// Bytes 0-3 of a record: its serial number, negated while marked deleted.
constexpr std::size_t kSerialSize = 4;

// The serial s, lying in (above, below), whose delete mark (-s) written only
// in part (its first 1 to 3 bytes, the low ones) leaves `stored`.
inline std::optional<std::int32_t> SerialOfTornDeleteMark(std::int32_t stored, std::int64_t above,
                                                          std::int64_t below) {
  const auto value = static_cast<std::uint32_t>(stored);
  for (int bytes = 1; bytes <= 3; ++bytes) {
    const std::uint32_t low_mask = (std::uint32_t{1} << (8 * bytes)) - 1;
    const std::uint32_t low = (0u - (value & low_mask)) & low_mask;
    const auto serial = static_cast<std::int32_t>((value & ~low_mask) | low);
    if (serial > above && serial < below) return serial;
  }
  return std::nullopt;
}

// Long-value file: 512-byte blocks; block 0 holds the header
//   magic "LGTR" (4) version (4) reserved (8) blockCount (4) freeCount (4)
//   freeHead (4) reserved (4)
// and every data block is prev (4) next (4) used (4) data (500).
constexpr std::uint64_t kBlockSize = 512;
constexpr std::size_t kLongHeaderSize = 32;
constexpr std::uint64_t kBlockCountOffset = 16;
constexpr std::uint64_t kFreeCountOffset = 20;
constexpr std::uint64_t kFreeHeadOffset = 24;
constexpr std::size_t kBlockLinksSize = 12;
constexpr std::size_t kBlockDataSize = 500;
constexpr char kLongValueMagic[4] = {'L', 'G', 'T', 'R'};

enum class FieldType : std::int32_t {
  kByte = 1,
  kShort = 2,
  kInt = 3,
  kLong = 4,
  kFloat = 5,
  kDouble = 6,
  kBool = 7,
  kDateTime = 8,
  kSubroutine = 9,
  kText = 10,
  kByteSet = 11,
  kLongText = 12,
};

constexpr bool IsValidFieldType(std::int32_t code) { return code >= 1 && code <= 12; }
// Byte sets and long texts live in the long-value file.
constexpr bool IsLongValueType(FieldType type) {
  return type == FieldType::kByteSet || type == FieldType::kLongText;
}

struct FieldDescriptor {
  std::string name;  // GBK, at most 16 bytes
  FieldType type = FieldType::kInt;
  std::int32_t offset = 0;
  std::int32_t width = 0;  // stored width for text fields

  // Bytes the field takes in a record.
  std::int64_t StoredWidth() const;
};

// Little-endian integers in byte buffers.
inline std::uint32_t LoadU32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
inline std::int32_t LoadI32(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadU32(p)); }
inline std::uint64_t LoadU64(const std::uint8_t* p) {
  return std::uint64_t{LoadU32(p)} | std::uint64_t{LoadU32(p + 4)} << 32;
}
inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
}
inline void StoreI32(std::uint8_t* p, std::int32_t v) {
  StoreU32(p, static_cast<std::uint32_t>(v));
}
inline void StoreU64(std::uint8_t* p, std::uint64_t v) {
  StoreU32(p, static_cast<std::uint32_t>(v));
  StoreU32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// Where the records of a file with `field_count` fields begin.
constexpr std::uint64_t DataStart(std::int32_t field_count) {
  return kDescriptorsOffset + kDescriptorSize * static_cast<std::uint64_t>(field_count);
}

// Reads one descriptor. False when it breaks a rule of the format (name
// without a 0 byte in its first 17 bytes, negative offset, unknown type,
// text without a positive width).
bool ParseDescriptor(std::span<const std::uint8_t, kDescriptorSize> bytes, FieldDescriptor& out);
// The bytes a record needs for its serial number and every field: the end
// of the field that reaches furthest, at least kSerialSize.
std::int64_t FieldsExtent(const std::vector<FieldDescriptor>& fields);

// Records are never this large: a header that says so is damaged.
constexpr std::int64_t kMaxRecordSize = (std::int64_t{1} << 30) - 1;
// Writers round a record up to at most this many bytes past its last field.
constexpr std::int64_t kRecordAlignment = 16;

// True when `record_size` agrees with the fields: it holds the serial number
// and every field, is no larger than the fields' extent rounded up to
// kRecordAlignment, and stays below kMaxRecordSize. A damaged record size
// would otherwise make every record look cut short.
bool RecordSizeFitsFields(std::int64_t record_size, const std::vector<FieldDescriptor>& fields);

// The descriptor's 72 bytes (reserved bytes zero).
std::array<std::uint8_t, kDescriptorSize> SerializeDescriptor(const FieldDescriptor& field);

// True for a valid alias or field name: a half- or full-width letter or a
// Chinese character, then letters, digits (half- or full-width) or Chinese
// characters.
bool IsValidName(std::string_view name);

// File names (GBK). A name without an extension (no '.' after the last
// folder separator) gets ".LDG"; a name ending in '.' gets "LDG".
std::string WithDefaultExtension(std::string_view name);
// The long-value file beside a data file: the extension replaced by "LGT".
std::string LongValueFileName(std::string_view data_file_name);
// The file name without its folders and extension.
std::string BaseName(std::string_view path);

}  // namespace store
