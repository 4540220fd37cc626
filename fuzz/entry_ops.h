#pragma once

// How fuzz_duplicate_search reads its input: a sequence of report entries,
// each
//
//   [flags: u8][path piece][target piece][arguments piece, when flags & 1]
//
// A piece is a length byte and that many bytes; bytes 0xF0 to 0xFF stand for
// words that make the hard cases common (targets that begin one another, the
// report's labels and line ends inside a text, control characters, keys
// longer than the index's depth).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace varnlink::fuzz {

struct EntryText {
  std::string path;
  std::string target;
  std::optional<std::string> arguments;
};

// Reads the entries of an input one at a time.
class EntryReader {
 public:
  explicit EntryReader(std::span<const std::uint8_t> data) : data_(data) {}
  [[nodiscard]] bool Empty() const { return data_.empty(); }
  [[nodiscard]] EntryText Next();

 private:
  std::uint8_t Byte();
  std::string Piece();
  std::span<const std::uint8_t> data_;
};

// Appends one entry to an input (the seed generator's encoder).
void PutEntry(std::string& input, const EntryText& entry);

}  // namespace varnlink::fuzz
