#include "platform/win32/wide_text.h"

#include <windows.h>

#include <vector>

#include "text/utf16.h"

namespace varnlink::platform {
namespace {

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
  text::AppendUtf16(out, text, text::Form::kWtf8);
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  return text::Utf16ToUtf8(text, text::Form::kWtf8);  // a lone surrogate kept as WTF-8
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
