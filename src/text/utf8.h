#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace varnlink::text {

// Writes the UTF-8 form of `code_point` (at most U+10FFFF) at `at`, which
// has room for four bytes, and returns the end of what it wrote. Inline, as
// are the callers below: decoders use it for every character.
inline char* EncodeUtf8(char32_t code_point, char* at) {
  const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (code_point < 0x80) {
    *at++ = byte(code_point);
  } else if (code_point < 0x800) {
    *at++ = byte(0xC0 | (code_point >> 6));
    *at++ = byte(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    *at++ = byte(0xE0 | (code_point >> 12));
    *at++ = byte(0x80 | ((code_point >> 6) & 0x3F));
    *at++ = byte(0x80 | (code_point & 0x3F));
  } else {
    *at++ = byte(0xF0 | (code_point >> 18));
    *at++ = byte(0x80 | ((code_point >> 12) & 0x3F));
    *at++ = byte(0x80 | ((code_point >> 6) & 0x3F));
    *at++ = byte(0x80 | (code_point & 0x3F));
  }
  return at;
}

// Appends the UTF-8 form of `code_point` (at most U+10FFFF) to `out`.
inline void AppendUtf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else {
    char sequence[4];
    out.append(sequence, EncodeUtf8(code_point, sequence));
  }
}

// Where the run of printable ASCII characters (U+0020 to U+007E) other than
// `stop_a` and `stop_b` that starts at text[i] ends: what the report and the
// record writers copy as it is. It looks at eight bytes at a time, as most
// text is such a run.
// Inline: it runs for every piece of text written.
[[nodiscard]] inline std::size_t PlainRunEnd(std::string_view text, std::size_t i,
                                             char stop_a = '\x7F', char stop_b = '\x7F') {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHigh = 0x8080808080808080;
  // The high bit of a byte is set where the byte is zero, in the first such
  // byte at least; none is set where none is zero.
  const auto zero_bytes = [](std::uint64_t w) { return (w - kOnes) & ~w; };
  const auto stop = [&](char c) { return kOnes * static_cast<unsigned char>(c); };
  while (text.size() - i >= 8) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + i, 8);
    const std::uint64_t special = w                            // not ASCII
                                  | ((w - kOnes * 0x20) & ~w)  // below U+0020
                                  | (w + kOnes)                // U+007F
                                  | zero_bytes(w ^ stop(stop_a)) | zero_bytes(w ^ stop(stop_b));
    if ((special & kHigh) != 0) break;
    i += 8;
  }
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < 0x20 || c > 0x7E || c == stop_a || c == stop_b) break;
  }
  return i;
}

// U+FFFD, which stands for text that is not valid.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the UTF-8 sequence at text[i] and moves `i` past it. An invalid or
// overlong sequence, or a surrogate, decodes as U+FFFD and moves `i` past one
// byte only. `i` must be within `text`.
[[nodiscard]] char32_t NextCodePoint(std::string_view text, std::size_t& i);

// The same for WTF-8, the form Windows names take in UTF-8 (they may hold
// unpaired surrogates): an encoded surrogate decodes as itself, and a sequence
// that breaks off or is overlong decodes as one U+FFFD for the bytes it took,
// so every name Windows lists converts back to the same UTF-16.
[[nodiscard]] char32_t NextWtf8CodePoint(std::string_view text, std::size_t& i);

}  // namespace varnlink::text
