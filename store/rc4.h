// The RC4 key schedule and keystream.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace store {

class Rc4 {
 public:
  // Runs the key schedule with `key` (at most its first 256 bytes take
  // part); both indexes start at 0. An empty key leaves the identity
  // permutation.
  explicit Rc4(std::span<const std::uint8_t> key);

  // The next keystream byte.
  std::uint8_t Next() {
    i_ = static_cast<std::uint8_t>(i_ + 1);
    j_ = static_cast<std::uint8_t>(j_ + s_[i_]);
    std::uint8_t t = s_[i_];
    s_[i_] = s_[j_];
    s_[j_] = t;
    return s_[static_cast<std::uint8_t>(s_[i_] + s_[j_])];
  }
  // Fills `out` with the next keystream bytes.
  void Generate(std::span<std::uint8_t> out);
  // Drops the next `count` keystream bytes.
  void Discard(std::size_t count);

 private:
  std::array<std::uint8_t, 256> s_;
  std::uint8_t i_ = 0, j_ = 0;
};

}  // namespace store
