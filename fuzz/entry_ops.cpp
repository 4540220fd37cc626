#include "fuzz/entry_ops.h"

#include <algorithm>
#include <array>

namespace varnlink::fuzz {
namespace {

const std::array<std::string, 16> kWords = {
    "C:\\A",
    "C:\\A.EXE",
    " /p",
    "TARGET:   ",
    "LOCATION:   ",
    "\r\n",
    "\x01",
    "\xE2\x80\xAE",  // U+202E, right-to-left override
    "C:\\WINDOWS\\NOTEPAD.EXE",
    " ",
    "\xC3\xA9",
    "*** DUPLICATE TARGET IN SHORTCUT BELOW***",
    "(duplicate located at ",
    std::string(300, 'z'),  // two of them reach past the index's depth
    "\\",
    "C:\\",
};

// Texts longer than a length byte allows are cut; a byte from 0xF0 on in
// the text reads back as a word, which only makes the seed another input.
void PutPiece(std::string& input, std::string_view piece) {
  const std::size_t n = std::min<std::size_t>(piece.size(), 255);
  input += static_cast<char>(n);
  input.append(piece.substr(0, n));
}

}  // namespace

std::uint8_t EntryReader::Byte() {
  if (data_.empty()) return 0;
  const std::uint8_t b = data_[0];
  data_ = data_.subspan(1);
  return b;
}

std::string EntryReader::Piece() {
  std::size_t n = Byte();
  std::string piece;
  while (n-- > 0 && !data_.empty()) {
    const std::uint8_t b = Byte();
    if (b >= 0xF0) {
      piece += kWords[b - 0xF0];
    } else {
      piece += static_cast<char>(b);
    }
  }
  return piece;
}

EntryText EntryReader::Next() {
  EntryText entry;
  const std::uint8_t flags = Byte();
  entry.path = Piece();
  entry.target = Piece();
  if (flags & 1) entry.arguments = Piece();
  return entry;
}

void PutEntry(std::string& input, const EntryText& entry) {
  input += static_cast<char>(entry.arguments ? 1 : 0);
  PutPiece(input, entry.path);
  PutPiece(input, entry.target);
  if (entry.arguments) PutPiece(input, *entry.arguments);
}

}  // namespace varnlink::fuzz
