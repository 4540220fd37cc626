#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "lnk/byte_reader.h"

namespace varnlink::lnk {

// The chain of counted strings: each a 16-bit count, then that many
// characters of `unit` bytes. A count that cannot be read is a fault when the
// string is strict (Next returns nullopt); when tolerant, the previous count is
// used again, and a string that runs past the end is cut there.
class CountedStrings {
 public:
  CountedStrings(const ByteReader& bytes, std::size_t pos, std::size_t unit)
      : bytes_(bytes), pos_(pos), unit_(unit) {}

  // The next string's bytes; nullopt when `strict` and its count lies past
  // the end (the fault's position is then Position()).
  [[nodiscard]] std::optional<std::span<const std::uint8_t>> Next(bool strict) {
    if (const auto count = bytes_.U16(pos_)) {
      last_count_ = *count;
    } else if (strict) {
      return std::nullopt;
    }
    const std::size_t start = pos_ + 2;
    const std::size_t length = unit_ * last_count_;
    pos_ = start + length;
    return bytes_.Slice(start, length);
  }

  [[nodiscard]] std::size_t Position() const { return pos_; }
  // The count the last string was read with.
  [[nodiscard]] std::uint16_t Count() const { return last_count_; }

 private:
  const ByteReader& bytes_;
  std::size_t pos_;
  std::size_t unit_;
  std::uint16_t last_count_ = 0;
};

}  // namespace varnlink::lnk
