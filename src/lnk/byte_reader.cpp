#include "lnk/byte_reader.h"

#include <algorithm>

namespace varnlink::lnk {

bool ByteReader::Contains(std::size_t pos, std::size_t length) const {
  return pos <= bytes_.size() && length <= bytes_.size() - pos;
}

std::optional<std::uint8_t> ByteReader::U8(std::size_t pos) const {
  if (!Contains(pos, 1)) return std::nullopt;
  return bytes_[pos];
}

std::optional<std::uint16_t> ByteReader::U16(std::size_t pos) const {
  if (!Contains(pos, 2)) return std::nullopt;
  return static_cast<std::uint16_t>(bytes_[pos] | (bytes_[pos + 1] << 8));
}

std::optional<std::uint32_t> ByteReader::U32(std::size_t pos) const {
  if (!Contains(pos, 4)) return std::nullopt;
  return static_cast<std::uint32_t>(bytes_[pos]) |
         (static_cast<std::uint32_t>(bytes_[pos + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes_[pos + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes_[pos + 3]) << 24);
}

std::uint8_t ByteReader::ReadU8(std::size_t pos) const {
  if (const auto value = U8(pos)) return *value;
  throw RecordError();
}

std::uint16_t ByteReader::ReadU16(std::size_t pos) const {
  if (const auto value = U16(pos)) return *value;
  throw RecordError();
}

std::uint32_t ByteReader::ReadU32(std::size_t pos) const {
  if (const auto value = U32(pos)) return *value;
  throw RecordError();
}

std::uint64_t ByteReader::ReadU64(std::size_t pos) const {
  return ReadU32(pos) | (static_cast<std::uint64_t>(ReadU32(pos + 4)) << 32);
}

ByteReader ByteReader::Sub(std::size_t offset, std::size_t length) const {
  if (!Contains(offset, length)) throw RecordError();
  return ByteReader(bytes_.subspan(offset, length));
}

ByteReader ByteReader::From(std::size_t offset) const {
  if (offset > bytes_.size()) throw RecordError();
  return ByteReader(bytes_.subspan(offset));
}

std::span<const std::uint8_t> ByteReader::Slice(std::size_t pos, std::size_t length) const {
  if (pos >= bytes_.size()) return {};
  return bytes_.subspan(pos, std::min(length, bytes_.size() - pos));
}

std::optional<std::size_t> ByteReader::Find(std::span<const std::uint8_t> pattern,
                                            std::size_t from) const {
  if (from > bytes_.size()) return std::nullopt;
  const auto hit = std::search(bytes_.begin() + static_cast<std::ptrdiff_t>(from), bytes_.end(),
                               pattern.begin(), pattern.end());
  if (hit == bytes_.end()) return std::nullopt;
  return static_cast<std::size_t>(hit - bytes_.begin());
}

std::optional<std::size_t> ByteReader::FindNul(std::size_t from, std::size_t end) const {
  end = std::min(end, bytes_.size());
  for (std::size_t i = from; i < end; ++i) {
    if (bytes_[i] == 0) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> ByteReader::FindNul16(std::size_t from, std::size_t end) const {
  end = std::min(end, bytes_.size());
  for (std::size_t i = from; i < end && end - i >= 2; i += 2) {
    if (bytes_[i] == 0 && bytes_[i + 1] == 0) return i;
  }
  return std::nullopt;
}

}  // namespace varnlink::lnk
