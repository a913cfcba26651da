// The keystream bytes that meet one field of every record of a big data
// file, kept side by side in a file of their own. A walk that tests that
// field in every record (the customer-name query, the status of every
// order) reads them one after the other, where the page keystreams would
// cost it a cache line of its own per record, fetched from far apart.
//
// Derived data, like the page keystream cache: a line's bytes are used only
// from a copy whose check value has passed in this process; a line that
// is missing or damaged is taken from the cipher again and written back.
// Like the page keystreams, the bytes depend only on the password and the
// records' layout, never on what the records hold. They only ever serve to
// compare a field with a text, never to write one.
//
// Layout: a 4096-byte header (magic, layout version, lines per block, a
// check value of the password and the field's place, which also keys the
// lines' checks: another layout's lines never pass), then blocks of 64
// lines of 64 bytes (four records of kBytes each) followed by the lines'
// 8-byte check values. The field's offset in record 0 and the records'
// size are part of the file's name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/mapped_file.h"

namespace store {

class FieldKeystreams {
 public:
  // Keystream bytes kept per record: tests of texts up to kBytes - 1 bytes
  // (and the 0 byte after them) use them.
  static constexpr std::size_t kBytes = 16;

  // Computes the keystream bytes that meet file offsets [offset, offset +
  // out.size()).
  using Compute = std::function<void(std::uint64_t offset, std::span<std::uint8_t> out)>;

  // The file of the password whose digest text is `digest`, for the field
  // that lies at file offset `first` in record 0 of records `stride` bytes
  // apart, in `folder`; nullptr when it cannot be had.
  static std::unique_ptr<FieldKeystreams> Open(const std::string& folder, const std::string& digest,
                                               std::uint64_t first, std::uint64_t stride,
                                               Compute compute);
  static std::string FileName(const std::string& digest, std::uint64_t first, std::uint64_t stride);

  // The kBytes keystream bytes that meet the field of record `record`
  // (counted from 0) of a file of `records` records, valid until the next
  // call; nullptr when the file cannot hold them.
  const std::uint8_t* Of(std::uint64_t record, std::uint64_t records);

 private:
  FieldKeystreams(std::unique_ptr<platform::MappedFile> file, std::uint64_t first,
                  std::uint64_t stride, std::uint64_t password_check, Compute compute);
  // The lines and check values of the blocks that hold `records` records,
  // mapped in one piece; false when they cannot be.
  bool MapFor(std::uint64_t records);

  std::unique_ptr<platform::MappedFile> file_;
  std::uint64_t first_;
  std::uint64_t stride_;
  std::uint64_t password_check_;
  Compute compute_;
  std::span<std::uint8_t> blocks_;  // mapped from the first block on
  bool map_failed_ = false;
  // A verified copy of the line last used, which the file can no longer
  // change under its reader.
  std::uint64_t copied_line_ = ~std::uint64_t{0};
  alignas(64) std::uint8_t copy_[64];
};

}  // namespace store
