#include "platform/sha256.h"

namespace varnlink::platform {

Sha256Digest Sha256(std::span<const std::uint8_t> bytes) {
  Sha256Hasher hasher;
  hasher.Update(bytes);
  return hasher.Finish();
}

std::string HexOf(const Sha256Digest& digest) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * digest.size());
  for (const std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

}  // namespace varnlink::platform
