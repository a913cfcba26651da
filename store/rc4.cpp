#include "store/rc4.h"

namespace store {

Rc4::Rc4(std::span<const std::uint8_t> key) {
  for (int k = 0; k < 256; ++k) s_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);
  if (key.empty()) return;
  std::uint8_t j = 0;
  for (std::size_t k = 0; k < 256; ++k) {
    j = static_cast<std::uint8_t>(j + s_[k] + key[k % key.size()]);
    std::uint8_t t = s_[k];
    s_[k] = s_[j];
    s_[j] = t;
  }
}

void Rc4::Generate(std::span<std::uint8_t> out) {
  for (std::uint8_t& byte : out) byte = Next();
}

void Rc4::Discard(std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) Next();
}

}  // namespace store
