// A file of derived data kept for speed, such as a cache, mapped into memory
// piece by piece. It is created for its owner alone; it only ever grows, so
// a piece mapped by one process stays valid while another maps more.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

class MappedFile {
 public:
  // Opens `path` for reading and writing, creating it (owner only, with its
  // folder) when missing; nullptr when that cannot be done.
  static std::unique_ptr<MappedFile> Open(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Bytes [offset, offset + length) shared with the file, which is first
  // extended to hold them (never shortened); empty when that fails. The
  // mapping lasts as long as the MappedFile. `offset` is a multiple of 4096.
  std::span<std::uint8_t> Map(std::uint64_t offset, std::size_t length);

 private:
  explicit MappedFile(int fd) : fd_(fd) {}
  struct Mapping {
    void* address;
    std::size_t length;
  };
  int fd_;
  std::vector<Mapping> mappings_;
};

// The folder for the user's caches ($XDG_CACHE_HOME, else ~/.cache); empty
// when neither is known.
std::string UserCacheDirectory();

}  // namespace platform
