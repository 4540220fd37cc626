#include "text/utf8.h"

namespace varnlink::text {
namespace {

// One reader for both forms. They differ in what they accept (surrogates) and
// in how far a broken sequence moves `i`: UTF-8 past its first byte only, so
// each byte of it shows as U+FFFD; WTF-8 past the bytes it took, so the
// sequence shows as one.
template <bool kWtf8>
char32_t Next(std::string_view text, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, cp = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, cp = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, cp = b0 & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return kReplacementCharacter;
  }
  const auto broken = [&i](std::size_t took) {
    i += kWtf8 ? took : 1;
    return kReplacementCharacter;
  };
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k >= text.size()) return broken(k);
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return broken(k);
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (!kWtf8 && cp >= 0xD800 && cp <= 0xDFFF)) {
    return broken(length);
  }
  i += length;
  return cp;
}

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& i) { return Next<false>(text, i); }

char32_t NextWtf8CodePoint(std::string_view text, std::size_t& i) { return Next<true>(text, i); }

}  // namespace varnlink::text
