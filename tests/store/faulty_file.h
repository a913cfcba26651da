// A file that fails on demand: wraps a real file and makes chosen reads or
// writes fail, for the tests of what the store does when the disk lets it
// down part-way.
#pragma once

#include <memory>

#include "platform/file.h"

namespace store_test {

struct Faults {
  // Reads of at least `min_read_size` bytes are counted; the one numbered
  // `fail_read` (1-based) fails, and every later one too when `sticky`.
  int fail_read = 0;
  std::size_t min_read_size = 0;
  // Writes are counted the same way.
  int fail_write = 0;
  std::size_t min_write_size = 0;
  bool sticky = false;
  int reads_seen = 0;
  int writes_seen = 0;
};

class FaultyFile : public platform::File {
 public:
  FaultyFile(std::unique_ptr<platform::File> inner, std::shared_ptr<Faults> faults)
      : inner_(std::move(inner)), faults_(std::move(faults)) {}

  platform::FileResult<std::size_t> ReadAt(std::uint64_t offset,
                                           std::span<std::uint8_t> out) override {
    if (out.size() >= faults_->min_read_size && faults_->fail_read > 0) {
      int seen = ++faults_->reads_seen;
      if (seen == faults_->fail_read || (faults_->sticky && seen > faults_->fail_read))
        return {0, platform::FileError::kHardware};
    }
    return inner_->ReadAt(offset, out);
  }
  platform::FileError WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    if (data.size() >= faults_->min_write_size && faults_->fail_write > 0) {
      int seen = ++faults_->writes_seen;
      if (seen == faults_->fail_write || (faults_->sticky && seen > faults_->fail_write)) {
        // Half of it reaches the disk before the failure.
        inner_->WriteAt(offset, data.first(data.size() / 2));
        return platform::FileError::kHardware;
      }
    }
    return inner_->WriteAt(offset, data);
  }
  platform::FileResult<std::uint64_t> Size() override { return inner_->Size(); }
  platform::FileError Truncate(std::uint64_t size) override { return inner_->Truncate(size); }
  platform::FileError Flush() override { return inner_->Flush(); }
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

// An opener whose data files (".ldg") fail as `faults` says.
inline platform::FileOpener FaultyOpener(std::shared_ptr<Faults> faults) {
  return
      [faults](std::string_view path, platform::FileAccess access, platform::FileSharing sharing) {
        platform::OpenedFile opened = platform::OpenFile(path, access, sharing);
        bool data_file = path.size() >= 4 && (path.substr(path.size() - 4) == ".ldg" ||
                                              path.substr(path.size() - 4) == ".LDG");
        if (opened.file && data_file)
          opened.file = std::make_unique<FaultyFile>(std::move(opened.file), faults);
        return opened;
      };
}

}  // namespace store_test
