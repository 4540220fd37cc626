#include "auditor/report_text.h"

#include "platform/utf8.h"

namespace varnlink::auditor {
namespace {

using platform::AppendUtf8;
using platform::NextCodePoint;

constexpr char32_t kReplacement = platform::kReplacementCharacter;

bool IsControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

// Characters that change how the text around them is laid out: the line and
// paragraph separators start a new line in a text widget, and the bidirectional
// embeddings, overrides and isolates show what follows in reverse, so a name
// could read "...exe.txt" while it ends in ".exe". They are shown as "?" too.
bool IsLayoutControl(char32_t cp) {
  return cp == 0x2028 || cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2066 && cp <= 0x2069);
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

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace varnlink::auditor
