// Files seen through memory mappings: a file of derived data kept for speed,
// such as a cache, mapped piece by piece for reading and writing, and a
// read-only view of an open file for readers that look without copying.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

// A file of derived data, created for its owner alone; it only ever grows,
// so a piece mapped by one process stays valid while another maps more.
// Every opener holds it shared; opening waits a moment while another
// opener finds out whether it is alone (see Alone), and fails when the file
// stays held alone.
class MappedFile {
 public:
  // Opens `path` for reading and writing, creating it (owner only, with its
  // folder) when missing; nullptr when that cannot be done.
  static std::unique_ptr<MappedFile> Open(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // The file's size now; 0 when it cannot be had.
  std::uint64_t Size() const;
  // Every opener holds the file shared for as long as it has it open. True
  // when no other opener (another desk, or another open in this process)
  // holds it, so that nobody has pieces of it mapped: only then may a file
  // found cut short be grown again, as growing it would give another
  // opener's pages beyond the cut back as zeros. The shared hold is kept.
  bool Alone();
  // Bytes [offset, offset + length) shared with the file, which is first
  // extended to hold them (never shortened); empty when that fails. The
  // mapping lasts as long as the MappedFile. `offset` is a multiple of 4096.
  // Once the file has been found cut short, nothing more is mapped.
  std::span<std::uint8_t> Map(std::uint64_t offset, std::size_t length);

  // Reads the file's bytes from `offset` into `out` without mapping them;
  // false unless all of them were there. A copy read once costs less than
  // the first touch of each mapped page, which the system counts per
  // process.
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
  // Fills `bytes` (whole pages) with what the file holds from `offset`;
  // must not allocate (it runs where a page is found missing).
  using Refill = void (*)(void* context, std::uint64_t offset, std::span<std::uint8_t> bytes);
  // The file's own user may still cut it short behind the program's back:
  // touching a mapped page that lies beyond its new end would end the
  // process (SIGBUS). With a refill, such a page is replaced, in this
  // process only, by private memory that `refill` fills, and the file is no
  // longer extended. What is replaced at once is the page, or from
  // `unit_start` on the file's unit of `unit_bytes` that holds it (as far as
  // it is mapped in one piece). Set it before the first Map. On Windows a
  // mapped file cannot be cut, and this changes nothing.
  void SetRefill(Refill refill, void* context, std::uint64_t unit_start = 0,
                 std::uint64_t unit_bytes = 4096) {
    refill_ = {refill, context, unit_start, unit_bytes};
  }
  struct RefillWith {
    Refill refill = nullptr;
    void* context = nullptr;
    std::uint64_t unit_start = 0;
    std::uint64_t unit_bytes = 4096;
  };

 private:
  // The system's file: a descriptor on POSIX systems, a HANDLE on Windows.
  explicit MappedFile(std::intptr_t file) : file_(file) {}
  RefillWith refill_;
  // The end of what this process has mapped: a file found shorter has been cut.
  std::uint64_t mapped_end_ = 0;
  bool cut_ = false;
  struct Mapping {
    void* address;
    std::size_t length;
  };
  std::intptr_t file_;
  std::vector<Mapping> mappings_;
};

// A read-only view of the first bytes of an open file, shared with it: what
// anyone writes to the file is seen in the view at once, with no copy. The
// view may reach beyond the file's end; touching a page that lies wholly
// beyond it ends the process (SIGBUS), so a reader checks the file's size
// first and looks only at bytes nobody can cut off while it looks.
// Windows has no such views of the record store's files: there a view
// would keep every other desk from making the file shorter (a purge or a
// repair), so its files are read instead.
class ReadOnlyMapping {
 public:
  // The first `length` bytes of the file `file` (a descriptor, which stays
  // the caller's); nullptr when they cannot be mapped.
  static std::unique_ptr<ReadOnlyMapping> Map(std::intptr_t file, std::uint64_t length);
  ~ReadOnlyMapping();
  ReadOnlyMapping(const ReadOnlyMapping&) = delete;
  ReadOnlyMapping& operator=(const ReadOnlyMapping&) = delete;

  std::span<const std::uint8_t> bytes() const { return {address_, length_}; }
  // Makes bytes [offset, offset + length) of the view ready to be looked at
  // without a page fault, as far as the file reaches; never touches a page
  // beyond the file's end. False when the system cannot (then nothing is
  // done) or the range reaches past the file's end.
  bool Populate(std::uint64_t offset, std::uint64_t length) const;

 private:
  ReadOnlyMapping(const std::uint8_t* address, std::size_t length)
      : address_(address), length_(length) {}
  const std::uint8_t* address_;
  std::size_t length_;
};

// The folder for the user's caches, as UTF-8 ($XDG_CACHE_HOME, else
// ~/.cache; %LOCALAPPDATA% on Windows); empty when none is known.
std::string UserCacheDirectory();

}  // namespace platform
