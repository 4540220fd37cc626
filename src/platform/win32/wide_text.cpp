#include "platform/win32/wide_text.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "text/utf8.h"

namespace varnlink::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one character starting at text[i] and advances i. Accepts encoded
// surrogates (WTF-8); rejects overlong forms and values past U+10FFFF.
char32_t DecodeOne(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07u, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size()) return kReplacement;
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return kReplacement;  // leave it for the next character
    value = (value << 6) | (next & 0x3Fu);
    ++i;
  }
  if (value < minimum || value > 0x10FFFF) return kReplacement;
  return value;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "X:\name\name" or "\\server\share\name" using "\" only, with no empty,
// "." or ".." component: a path the "\\?\" form can take without rewriting.
bool IsPlainFullPath(std::wstring_view p) {
  std::size_t start = 0;
  if (p.size() >= 3 && IsDriveLetter(p[0]) && p[1] == L':' && p[2] == L'\\') {
    start = 3;
  } else if (p.size() >= 5 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'?' && p[2] != L'.') {
    start = 2;
  } else {
    return false;
  }
  if (p.find(L'/') != std::wstring_view::npos) return false;
  int parts = 0;
  std::size_t pos = start;
  while (pos < p.size()) {
    std::size_t end = p.find(L'\\', pos);
    if (end == std::wstring_view::npos) end = p.size();
    const std::wstring_view part = p.substr(pos, end - pos);
    if (part.empty() || part == L"." || part == L"..") return false;
    ++parts;
    pos = end + 1;  // past a trailing "\" the loop ends
  }
  if (start == 2 && parts < 2) return false;  // a UNC path needs server and share
  return true;
}

std::wstring WithPrefix(const std::wstring& full) {
  if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') {
    return L"\\\\?\\UNC\\" + full.substr(2);
  }
  return L"\\\\?\\" + full;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t c = DecodeOne(text, i);
    if (c >= 0x10000) {
      const char32_t v = c - 0x10000;
      out += static_cast<wchar_t>(0xD800 + (v >> 10));
      out += static_cast<wchar_t>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto unit = static_cast<char32_t>(static_cast<std::uint16_t>(text[i]));
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      const auto low = static_cast<char32_t>(static_cast<std::uint16_t>(text[i + 1]));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        text::AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    text::AppendUtf8(out, unit);  // includes a lone surrogate, kept as WTF-8
  }
  return out;
}

std::wstring ApiPath(const std::string& path) {
  std::wstring wide = Utf8ToWide(path);
  if (wide.size() >= 4 && IsSeparator(wide[0]) && IsSeparator(wide[1]) &&
      (wide[2] == L'?' || wide[2] == L'.') && IsSeparator(wide[3])) {
    return wide;  // already in the raw form
  }
  if (IsPlainFullPath(wide)) return WithPrefix(wide);
  if (wide.size() < MAX_PATH - 12) return wide;
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::vector<wchar_t> full(needed);
  const DWORD got = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (got == 0 || got >= needed) return wide;
  return WithPrefix(std::wstring(full.data(), got));
}

}  // namespace varnlink::platform
