// The MD5 message digest (RFC 1321).
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace store {

using Md5Digest = std::array<std::uint8_t, 16>;

// The digest of `message`.
Md5Digest Md5(std::span<const std::uint8_t> message);

}  // namespace store
