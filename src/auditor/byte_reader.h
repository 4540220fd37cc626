#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace varnlink::auditor {

// Bounds-checked access to a shortcut's bytes. Every read of file content goes
// through here: a read that would leave the bytes gives nullopt (or an empty
// or shortened span), never undefined behaviour.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  [[nodiscard]] std::size_t size() const { return bytes_.size(); }
  // True when [pos, pos + length) lies inside the bytes (no overflow).
  [[nodiscard]] bool Contains(std::size_t pos, std::size_t length) const;

  [[nodiscard]] std::optional<std::uint8_t> U8(std::size_t pos) const;
  [[nodiscard]] std::optional<std::uint16_t> U16(std::size_t pos) const;
  [[nodiscard]] std::optional<std::uint32_t> U32(std::size_t pos) const;

  // The bytes [pos, pos + length) cut at the end; empty when pos is past it.
  [[nodiscard]] std::span<const std::uint8_t> Slice(std::size_t pos, std::size_t length) const;

  // First position >= from where `pattern` starts.
  [[nodiscard]] std::optional<std::size_t> Find(std::span<const std::uint8_t> pattern,
                                                std::size_t from) const;
  // First position in [from, end) holding a zero byte.
  [[nodiscard]] std::optional<std::size_t> FindNul(std::size_t from, std::size_t end) const;
  // First position from, from + 2, ... in [from, end) holding a zero 16-bit unit.
  [[nodiscard]] std::optional<std::size_t> FindNul16(std::size_t from, std::size_t end) const;

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace varnlink::auditor
