#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "text/utf8.h"

namespace varnlink::text {

// UTF-16 code units to and from UTF-8, in the two forms the program needs:
// - kUtf8, for a shortcut's own strings and for name keys: strictly valid
//   UTF-8; an unpaired surrogate is U+FFFD, and so is each byte of a broken
//   UTF-8 sequence (NextCodePoint).
// - kWtf8, for names at the Windows API: an unpaired surrogate keeps its
//   three-byte form, so a name converts back to the same UTF-16 and can be
//   opened again; a broken UTF-8 sequence is one U+FFFD (NextWtf8CodePoint).
enum class Form { kUtf8, kWtf8 };

// Writes the UTF-8 form of `count` UTF-16 code units, unit(k) for k below
// `count`, at `at`, which has room for three bytes a unit, and returns the end
// of what it wrote. Inline: decoders run it for every string.
template <typename UnitAt>
char* EncodeUtf16AsUtf8(std::size_t count, UnitAt unit, Form form, char* at) {
  for (std::size_t k = 0; k < count; ++k) {
    const char32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < count) {
      const char32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        at = EncodeUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), at);  // two units
        ++k;
        continue;
      }
    }
    const bool lone = u >= 0xD800 && u <= 0xDFFF;
    at = EncodeUtf8(lone && form == Form::kUtf8 ? kReplacementCharacter : u, at);
  }
  return at;
}

// UTF-16 code units (char16_t, or wchar_t where it is 16 bits) as UTF-8.
template <typename Unit>
[[nodiscard]] std::string Utf16ToUtf8(std::basic_string_view<Unit> units, Form form) {
  static_assert(sizeof(Unit) == 2, "UTF-16 code units");
  std::string out(3 * units.size(), '\0');
  const auto unit = [units](std::size_t k) {
    return static_cast<char32_t>(static_cast<std::uint16_t>(units[k]));
  };
  out.resize(static_cast<std::size_t>(EncodeUtf16AsUtf8(units.size(), unit, form, out.data()) -
                                      out.data()));
  return out;
}

// UTF-16LE bytes as UTF-8 (kUtf8); a trailing odd byte gives U+FFFD.
[[nodiscard]] std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes);

// Appends the UTF-16 code units of UTF-8 (kUtf8) or WTF-8 (kWtf8) text to
// `out`, a string of 16-bit units.
template <typename Units>
void AppendUtf16(Units& out, std::string_view text, Form form) {
  using Unit = typename Units::value_type;
  static_assert(sizeof(Unit) == 2, "UTF-16 code units");
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = form == Form::kUtf8 ? NextCodePoint(text, i) : NextWtf8CodePoint(text, i);
    if (cp >= 0x10000) {
      out.push_back(static_cast<Unit>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<Unit>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<Unit>(cp));
    }
  }
}

}  // namespace varnlink::text
