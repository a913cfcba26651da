// A file that fails on demand: wraps a real file and makes a chosen read,
// write or flush fail, for the tests of what the store does when the disk
// lets it down part-way.
#pragma once

#include <memory>

#include "platform/file.h"

namespace store_test {

// How the chosen write fails.
enum class WriteFault {
  kShortWrite,  // half of it reaches the disk, then a hardware error
  kNothing,     // nothing reaches the disk, a hardware error
  kDiskFull,    // half of it reaches the disk, then the disk is full
};

// How the chosen read fails.
enum class ReadFault {
  kError,      // a hardware error, nothing read
  kShortRead,  // half of it is read and the read says the file ends there
};

struct Faults {
  // Reads of at least `min_read_size` bytes are counted; the one numbered
  // `fail_read` (1-based) fails, and every later one too when `sticky`.
  int fail_read = 0;
  std::size_t min_read_size = 0;
  ReadFault read_fault = ReadFault::kError;
  // Writes are counted the same way.
  int fail_write = 0;
  std::size_t min_write_size = 0;
  WriteFault write_fault = WriteFault::kShortWrite;
  // Flushes too.
  int fail_flush = 0;
  // False: a flush that does not fail returns at once instead of waiting for
  // the device (for tests that flush hundreds of times and never cut the
  // power).
  bool flush_reaches_disk = true;
  bool sticky = false;
  int reads_seen = 0;
  int writes_seen = 0;
  int flushes_seen = 0;

  bool Hit(int seen, int chosen) const {
    return chosen > 0 && (seen == chosen || (sticky && seen > chosen));
  }
};

class FaultyFile : public platform::File {
 public:
  FaultyFile(std::unique_ptr<platform::File> inner, std::shared_ptr<Faults> faults)
      : inner_(std::move(inner)), faults_(std::move(faults)) {}

  platform::FileResult<std::size_t> ReadAt(std::uint64_t offset,
                                           std::span<std::uint8_t> out) override {
    if (out.size() >= faults_->min_read_size &&
        faults_->Hit(++faults_->reads_seen, faults_->fail_read)) {
      if (faults_->read_fault == ReadFault::kError) return {0, platform::FileError::kHardware};
      return inner_->ReadAt(offset, out.first(out.size() / 2));
    }
    return inner_->ReadAt(offset, out);
  }
  platform::FileError WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    if (data.size() >= faults_->min_write_size &&
        faults_->Hit(++faults_->writes_seen, faults_->fail_write)) {
      if (faults_->write_fault != WriteFault::kNothing)
        inner_->WriteAt(offset, data.first(data.size() / 2));
      return faults_->write_fault == WriteFault::kDiskFull ? platform::FileError::kDiskFull
                                                           : platform::FileError::kHardware;
    }
    return inner_->WriteAt(offset, data);
  }
  platform::FileResult<std::uint64_t> Size() override { return inner_->Size(); }
  platform::FileError Truncate(std::uint64_t size) override { return inner_->Truncate(size); }
  platform::FileError Flush() override {
    if (faults_->Hit(++faults_->flushes_seen, faults_->fail_flush))
      return platform::FileError::kHardware;
    return faults_->flush_reaches_disk ? inner_->Flush() : platform::FileError::kNone;
  }
  platform::FileError Lock(std::uint64_t offset, std::uint64_t length) override {
    return inner_->Lock(offset, length);
  }
  platform::FileError Unlock(std::uint64_t offset, std::uint64_t length) override {
    return inner_->Unlock(offset, length);
  }

 private:
  std::unique_ptr<platform::File> inner_;
  std::shared_ptr<Faults> faults_;
};

// An opener whose data files (".ldg"), and their long-value files too when
// `long_values` is set, fail as `faults` says; one count runs across both.
inline platform::FileOpener FaultyOpener(std::shared_ptr<Faults> faults, bool long_values = false) {
  return [faults, long_values](std::string_view path, platform::FileAccess access,
                               platform::FileSharing sharing) {
    platform::OpenedFile opened = platform::OpenFile(path, access, sharing);
    std::string_view extension = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    bool wrapped = extension == ".ldg" || extension == ".LDG" ||
                   (long_values && (extension == ".lgt" || extension == ".LGT"));
    if (opened.file && wrapped)
      opened.file = std::make_unique<FaultyFile>(std::move(opened.file), faults);
    return opened;
  };
}

}  // namespace store_test
