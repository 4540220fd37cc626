#include "auditor/report_text.h"

#include "platform/utf8.h"

namespace varnlink::auditor {
namespace {

using platform::AppendUtf8;

constexpr char32_t kReplacement = 0xFFFD;

bool IsControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

// Characters that change how the text around them is laid out: the line and
// paragraph separators start a new line in a text widget, and the bidirectional
// embeddings, overrides and isolates show what follows in reverse, so a name
// could read "...exe.txt" while it ends in ".exe". They are shown as "?" too.
bool IsLayoutControl(char32_t cp) {
  return cp == 0x2028 || cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2066 && cp <= 0x2069);
}

// Decodes one UTF-8 sequence at text[i]; advances i. Invalid or overlong
// sequences and surrogates decode as U+FFFD, consuming one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
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
    return kReplacement;
  }
  if (text.size() - i < length) {
    ++i;
    return kReplacement;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += length;
  return cp;
}

// `text` with the letters `from` to `from` + 25 moved to those of `to`.
std::string WithLetters(std::string_view text, char from, char to) {
  std::string out(text);
  for (char& c : out) {
    if (c >= from && c <= from + 25) c = static_cast<char>(c - from + to);
  }
  return out;
}

}  // namespace

std::string ShownText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b >= 0x20 && b < 0x7F) {  // the common case: printable ASCII
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    const char32_t cp = NextCodePoint(utf8, i);
    if (IsControl(cp) || IsLayoutControl(cp)) {
      out += '?';
    } else {
      AppendUtf8(out, cp);
    }
  }
  return out;
}

std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / 2;
  auto unit = [&](std::size_t k) {
    return static_cast<char32_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
  };
  for (std::size_t k = 0; k < units; ++k) {
    const char32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const char32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
  }
  if (bytes.size() % 2 != 0) AppendUtf8(out, kReplacement);
  return out;
}

std::string AsciiUpper(std::string_view text) { return WithLetters(text, 'a', 'A'); }
std::string AsciiLower(std::string_view text) { return WithLetters(text, 'A', 'a'); }

}  // namespace varnlink::auditor
