#include "store/creator.h"

#include <algorithm>
#include <array>
#include <memory>

#include "platform/file.h"
#include "platform/gbk.h"
#include "store/cipher_file.h"
#include "store/page_cipher.h"

namespace store {
namespace {

constexpr ErrorNumber kCreateFailed = -2;
constexpr ErrorNumber kNoFields = -16;
constexpr ErrorNumber kBadFieldType = -17;
constexpr ErrorNumber kBadFieldName = -18;
constexpr ErrorNumber kBadFieldSize = -19;
constexpr ErrorNumber kDuplicateFieldName = -20;
constexpr ErrorNumber kCreateLongValueFileFailed = -50;

ErrorNumber CheckFields(const std::vector<NewField>& fields) {
  if (fields.empty()) return kNoFields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const NewField& f = fields[i];
    if (!IsValidFieldType(static_cast<std::int32_t>(f.type))) return kBadFieldType;
    if (f.name.size() > kMaxNameLength || !IsValidName(f.name)) return kBadFieldName;
    if (f.type == FieldType::kText && f.width <= 0) return kBadFieldSize;
    for (std::size_t j = 0; j < i; ++j)
      if (platform::EqualIgnoreCase(fields[j].name, f.name)) return kDuplicateFieldName;
  }
  return error::kOk;
}

void Remove(const std::string& gbk_path) { platform::RemoveFile(gbk_path); }

}  // namespace

RecordLayout LayOut(const std::vector<NewField>& fields) {
  RecordLayout layout;
  std::int64_t offset = kSerialSize;
  for (const NewField& f : fields) {
    FieldDescriptor d;
    d.name = f.name;
    d.type = f.type;
    d.width = f.type == FieldType::kText ? f.width : 0;
    std::int64_t size = d.StoredWidth();
    std::int64_t align = size >= 4 && f.type != FieldType::kText ? 4 : size == 2 ? 2 : 1;
    offset = (offset + align - 1) / align * align;
    d.offset = static_cast<std::int32_t>(offset);
    offset += size;
    layout.fields.push_back(d);
  }
  layout.record_size = static_cast<std::int32_t>((offset + 3) / 4 * 4);
  return layout;
}

std::string NewLongValueFileName(const std::string& data_file_path) {
  std::string name = LongValueFileName(data_file_path);
  std::string data_ext = data_file_path.substr(data_file_path.size() -
                                               std::min<std::size_t>(3, data_file_path.size()));
  bool lower =
      std::any_of(data_ext.begin(), data_ext.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  if (lower) name.replace(name.size() - 3, 3, "lgt");
  return name;
}

ErrorNumber CreateDataFile(const std::string& path, const std::vector<NewField>& fields,
                           const std::string& password) {
  ErrorNumber checked = CheckFields(fields);
  if (checked != error::kOk) return checked;
  RecordLayout layout = LayOut(fields);
  // A file the store would refuse to open is not made.
  if (std::int64_t{layout.record_size} > kMaxRecordSize) return kBadFieldSize;
  const bool needs_long_values = std::any_of(
      fields.begin(), fields.end(), [](const NewField& f) { return IsLongValueType(f.type); });
  const std::string long_path = NewLongValueFileName(path);
  if (platform::PathExists(path)) return kCreateFailed;
  if (needs_long_values && platform::FindIgnoringCase(long_path)) return kCreateLongValueFileFailed;

  std::shared_ptr<PageCipher> cipher =
      password.empty() ? nullptr : std::make_shared<PageCipher>(password);

  // Header, field count and descriptors, written in one go.
  std::vector<std::uint8_t> bytes(DataStart(static_cast<std::int32_t>(fields.size())), 0);
  std::copy(std::begin(cipher ? kProtectedMagic : kPlainMagic),
            std::end(cipher ? kProtectedMagic : kPlainMagic), bytes.begin());
  StoreU32(bytes.data() + kVersionOffset, kFormatVersion);
  StoreI32(bytes.data() + kRecordCountOffset, 0);
  StoreI32(bytes.data() + kNextSerialOffset, 1);
  StoreI32(bytes.data() + kRecordSizeOffset, layout.record_size);
  if (cipher) {
    const std::string& digest = cipher->digest_text();
    std::copy(digest.begin(), digest.end(), bytes.begin() + kDigestOffset);
  }
  StoreI32(bytes.data() + kFieldCountOffset, static_cast<std::int32_t>(fields.size()));
  for (std::size_t i = 0; i < layout.fields.size(); ++i) {
    auto descriptor = SerializeDescriptor(layout.fields[i]);
    std::copy(
        descriptor.begin(), descriptor.end(),
        bytes.begin() + static_cast<std::ptrdiff_t>(kDescriptorsOffset + i * kDescriptorSize));
  }
  platform::OpenedFile created = platform::CreateNewFile(path);
  if (!created.file)
    return created.error == platform::FileError::kAccessDenied ? kCreateFailed
                                                               : FileErrorNumber(created.error);
  CipherFile data(std::move(created.file), cipher);
  ErrorNumber result = FileErrorNumber(data.WriteAt(0, bytes));
  if (result == error::kOk) result = FileErrorNumber(data.Flush());
  if (result != error::kOk) {
    Remove(path);
    return result;
  }

  if (needs_long_values) {
    // One block: the header with blockCount 1, an empty free list.
    std::array<std::uint8_t, kBlockSize> block{};
    std::copy(std::begin(kLongValueMagic), std::end(kLongValueMagic), block.begin());
    StoreU32(block.data() + 4, kFormatVersion);
    StoreI32(block.data() + kBlockCountOffset, 1);
    platform::OpenedFile long_file = platform::CreateNewFile(long_path);
    if (!long_file.file) {
      Remove(path);
      return kCreateLongValueFileFailed;
    }
    CipherFile lgt(std::move(long_file.file), cipher);
    result = FileErrorNumber(lgt.WriteAt(0, block));
    if (result == error::kOk) result = FileErrorNumber(lgt.Flush());
    if (result != error::kOk) {
      Remove(path);
      Remove(long_path);
      return result;
    }
  }
  return error::kOk;
}

}  // namespace store
