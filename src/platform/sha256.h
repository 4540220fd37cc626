#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace varnlink::platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

// SHA-256 through the system's library (libcrypto on Linux, BCrypt on
// Windows), fed in pieces: for a file larger than one wants to hold at once.
class Sha256Hasher {
 public:
  Sha256Hasher();
  ~Sha256Hasher();
  Sha256Hasher(const Sha256Hasher&) = delete;
  Sha256Hasher& operator=(const Sha256Hasher&) = delete;

  void Update(std::span<const std::uint8_t> bytes);
  // The digest of everything given; the hasher is not used after it.
  [[nodiscard]] Sha256Digest Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The SHA-256 of `bytes`.
[[nodiscard]] Sha256Digest Sha256(std::span<const std::uint8_t> bytes);

// 64 lower-case hexadecimal digits.
[[nodiscard]] std::string HexOf(const Sha256Digest& digest);

}  // namespace varnlink::platform
