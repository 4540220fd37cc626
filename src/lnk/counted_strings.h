#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace varnlink::lnk {

// Where a string lies: `length` bytes from `start`, which may reach past the
// end of the bytes (the reader cuts it there).
struct StringPlace {
  std::size_t start = 0;
  std::size_t length = 0;
};

// The chain of counted strings: each a 16-bit count, then that many
// characters of `unit` bytes, or at most `most` of them where the reader reads
// no more whatever the count says (the next string starts after what was
// read). A count that cannot be read is a fault when the string is strict
// (Next returns nullopt); when tolerant, the previous count is used again.
// `Bytes` reads the counts: a ByteReader, or the byte rules' view.
template <class Bytes>
class CountedStrings {
 public:
  CountedStrings(const Bytes& bytes, std::size_t pos, std::size_t unit)
      : bytes_(bytes), pos_(pos), unit_(unit) {}

  // The next string's place; nullopt when `strict` and its count lies past
  // the end (the fault's position is then Position()).
  [[nodiscard]] std::optional<StringPlace> Next(bool strict, std::uint16_t most = 0xFFFF) {
    if (const auto count = bytes_.U16(pos_)) {
      last_count_ = *count;
    } else if (strict) {
      return std::nullopt;
    }
    const StringPlace place{pos_ + 2, unit_ * std::min(last_count_, most)};
    pos_ = place.start + place.length;
    return place;
  }

  [[nodiscard]] std::size_t Position() const { return pos_; }
  // The count the last string was read with.
  [[nodiscard]] std::uint16_t Count() const { return last_count_; }

 private:
  const Bytes& bytes_;
  std::size_t pos_;
  std::size_t unit_;
  std::uint16_t last_count_ = 0;
};

}  // namespace varnlink::lnk
