#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>

namespace varnlink::lnk {

// A record that does not hold together: a size, offset or string that leaves
// the bytes it must lie in. The reader of a whole structure catches it and
// decides what the fault means.
class RecordError : public std::runtime_error {
 public:
  RecordError() : std::runtime_error("record out of bounds") {}
};

// Bounds-checked access to a shortcut's bytes. Every read of file content goes
// through here. The optional reads give nullopt (or an empty or shortened
// span) for a read that would leave the bytes; the Read... functions and Sub
// throw RecordError instead, so a nested record can be read straight through
// with one failure path.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  [[nodiscard]] std::size_t size() const { return bytes_.size(); }
  [[nodiscard]] std::span<const std::uint8_t> bytes() const { return bytes_; }
  // True when [pos, pos + length) lies inside the bytes (no overflow).
  [[nodiscard]] bool Contains(std::size_t pos, std::size_t length) const;

  [[nodiscard]] std::optional<std::uint8_t> U8(std::size_t pos) const;
  [[nodiscard]] std::optional<std::uint16_t> U16(std::size_t pos) const;
  [[nodiscard]] std::optional<std::uint32_t> U32(std::size_t pos) const;

  [[nodiscard]] std::uint8_t ReadU8(std::size_t pos) const;
  [[nodiscard]] std::uint16_t ReadU16(std::size_t pos) const;
  [[nodiscard]] std::uint32_t ReadU32(std::size_t pos) const;
  [[nodiscard]] std::uint64_t ReadU64(std::size_t pos) const;

  // The record [offset, offset + length) as a reader of its own, whose
  // positions count from the record's start. Throws RecordError when the
  // record does not lie inside these bytes.
  [[nodiscard]] ByteReader Sub(std::size_t offset, std::size_t length) const;
  // The bytes from `offset` to the end, as a reader of its own.
  [[nodiscard]] ByteReader From(std::size_t offset) const;

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

}  // namespace varnlink::lnk
