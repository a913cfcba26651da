#include "store/rc4.h"

#include <algorithm>

namespace store {

Rc4::Rc4(std::span<const std::uint8_t> key) {
  for (int k = 0; k < 256; ++k) s_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);
  if (key.empty()) return;
  std::uint8_t j = 0;
  std::size_t key_index = 0;
  for (std::size_t k = 0; k < 256; ++k) {
    j = static_cast<std::uint8_t>(j + s_[k] + key[key_index]);
    if (++key_index == key.size()) key_index = 0;
    std::uint8_t t = s_[k];
    s_[k] = s_[j];
    s_[j] = t;
  }
}

void Rc4::Generate(std::span<std::uint8_t> out) {
  // The state in locals: stores into the permutation cannot alias them, so
  // the loop runs without reloading the indexes.
  std::uint8_t* s = s_.data();
  unsigned i = i_, j = j_;
  for (std::uint8_t& byte : out) {
    i = (i + 1) & 0xFF;
    unsigned si = s[i];
    j = (j + si) & 0xFF;
    unsigned sj = s[j];
    s[i] = static_cast<std::uint8_t>(sj);
    s[j] = static_cast<std::uint8_t>(si);
    byte = s[(si + sj) & 0xFF];
  }
  i_ = static_cast<std::uint8_t>(i);
  j_ = static_cast<std::uint8_t>(j);
}

void Rc4::Discard(std::size_t count) {
  std::uint8_t sink[64];
  while (count > 0) {
    std::size_t n = std::min(count, sizeof sink);
    Generate(std::span(sink, n));
    count -= n;
  }
}

}  // namespace store
