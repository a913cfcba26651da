// The MD5 message digest (RFC 1321).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace store {

using Md5Digest = std::array<std::uint8_t, 16>;

// The digest of `message`.
Md5Digest Md5(std::span<const std::uint8_t> message);

// `bytes` as lower-case hexadecimal digits, two per byte.
std::string HexText(std::span<const std::uint8_t> bytes);

}  // namespace store
