#include "text/report_text.h"

#include "text/utf8.h"

namespace varnlink::text {
namespace {

bool IsControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

// Characters that change how the text around them is laid out: the line and
// paragraph separators start a new line in a text widget, and the bidirectional
// embeddings, overrides and isolates show what follows in reverse, so a name
// could read "...exe.txt" while it ends in ".exe". They are shown as "?" too.
bool IsLayoutControl(char32_t cp) {
  return cp == 0x2028 || cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2066 && cp <= 0x2069);
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

void AppendShownText(std::string& out, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    // The common case, printable ASCII, is copied in runs.
    const std::size_t plain = PlainRunEnd(utf8, i);
    out.append(utf8.data() + i, plain - i);
    i = plain;
    if (i == utf8.size()) break;
    const char32_t cp = NextCodePoint(utf8, i);
    if (IsControl(cp) || IsLayoutControl(cp)) {
      out += '?';
    } else {
      AppendUtf8(out, cp);
    }
  }
}

std::string ShownText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  AppendShownText(out, utf8);
  return out;
}

std::string AsciiUpper(std::string_view text) { return WithLetters(text, 'a', 'A'); }
std::string AsciiLower(std::string_view text) { return WithLetters(text, 'A', 'a'); }

}  // namespace varnlink::text
