#include "tests/fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace fuzz_support {
namespace {

class Scratch {
 public:
  Scratch() {
    std::error_code error;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
    path_ = base / ("orderdesk-fuzz-" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_, error);
    std::filesystem::create_directories(path_);
  }
  ~Scratch() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

const std::filesystem::path& ScratchDir() {
  static const Scratch scratch;
  return scratch.path();
}

void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();  // the scratch folder itself failing is no finding
}

}  // namespace fuzz_support
