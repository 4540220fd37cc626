#include "text/name_case.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "text/utf16.h"

namespace varnlink::text {
namespace {

// The NTFS upper-case table, as runs: the code units first, first + stride,
// ... last map to themselves + delta; every other unit maps to itself. It is
// Unicode 5.0's simple upper-casing less the mappings into ASCII and a few
// others, with the odd entries Windows keeps (U+023A, U+023E and U+1FCC map
// to lower-case forms).
struct UpperRun {
  char16_t first;
  char16_t last;
  std::uint8_t stride;
  std::int32_t delta;
};

constexpr UpperRun kUpperRuns[] = {
    {0x0061, 0x007A, 1, -32},   {0x00E0, 0x00F6, 1, -32},   {0x00F8, 0x00FE, 1, -32},
    {0x00FF, 0x00FF, 1, 121},   {0x0101, 0x012F, 2, -1},    {0x0133, 0x0137, 2, -1},
    {0x013A, 0x0148, 2, -1},    {0x014B, 0x0177, 2, -1},    {0x017A, 0x017E, 2, -1},
    {0x0180, 0x0180, 1, 195},   {0x0183, 0x0185, 2, -1},    {0x0188, 0x018C, 4, -1},
    {0x0192, 0x0192, 1, -1},    {0x0195, 0x0195, 1, 97},    {0x0199, 0x0199, 1, -1},
    {0x019A, 0x019A, 1, 163},   {0x019E, 0x019E, 1, 130},   {0x01A1, 0x01A5, 2, -1},
    {0x01A8, 0x01AD, 5, -1},    {0x01B0, 0x01B4, 4, -1},    {0x01B6, 0x01B9, 3, -1},
    {0x01BD, 0x01BD, 1, -1},    {0x01BF, 0x01BF, 1, 56},    {0x01C6, 0x01CC, 3, -2},
    {0x01CE, 0x01DC, 2, -1},    {0x01DD, 0x01DD, 1, -79},   {0x01DF, 0x01EF, 2, -1},
    {0x01F3, 0x01F3, 1, -2},    {0x01F5, 0x01F9, 4, -1},    {0x01FB, 0x021F, 2, -1},
    {0x0223, 0x0233, 2, -1},    {0x023A, 0x023A, 1, 10795}, {0x023C, 0x023C, 1, -1},
    {0x023E, 0x023E, 1, 10792}, {0x0242, 0x0247, 5, -1},    {0x0249, 0x024F, 2, -1},
    {0x0253, 0x0253, 1, -210},  {0x0254, 0x0254, 1, -206},  {0x0256, 0x0257, 1, -205},
    {0x0259, 0x0259, 1, -202},  {0x025B, 0x025B, 1, -203},  {0x0260, 0x0260, 1, -205},
    {0x0263, 0x0263, 1, -207},  {0x0268, 0x0268, 1, -209},  {0x0269, 0x0269, 1, -211},
    {0x026B, 0x026B, 1, 10743}, {0x026F, 0x026F, 1, -211},  {0x0272, 0x0272, 1, -213},
    {0x0275, 0x0275, 1, -214},  {0x027D, 0x027D, 1, 10727}, {0x0280, 0x0283, 3, -218},
    {0x0288, 0x0288, 1, -218},  {0x0289, 0x0289, 1, -69},   {0x028A, 0x028B, 1, -217},
    {0x028C, 0x028C, 1, -71},   {0x0292, 0x0292, 1, -219},  {0x037B, 0x037D, 1, 130},
    {0x03AC, 0x03AC, 1, -38},   {0x03AD, 0x03AF, 1, -37},   {0x03B1, 0x03C1, 1, -32},
    {0x03C2, 0x03C2, 1, -31},   {0x03C3, 0x03CB, 1, -32},   {0x03CC, 0x03CC, 1, -64},
    {0x03CD, 0x03CE, 1, -63},   {0x03D9, 0x03EF, 2, -1},    {0x03F2, 0x03F2, 1, 7},
    {0x03F8, 0x03FB, 3, -1},    {0x0430, 0x044F, 1, -32},   {0x0450, 0x045F, 1, -80},
    {0x0461, 0x0481, 2, -1},    {0x048B, 0x04BF, 2, -1},    {0x04C2, 0x04CE, 2, -1},
    {0x04CF, 0x04CF, 1, -15},   {0x04D1, 0x0513, 2, -1},    {0x0561, 0x0586, 1, -48},
    {0x1D7D, 0x1D7D, 1, 3814},  {0x1E01, 0x1E95, 2, -1},    {0x1EA1, 0x1EF9, 2, -1},
    {0x1F00, 0x1F07, 1, 8},     {0x1F10, 0x1F15, 1, 8},     {0x1F20, 0x1F27, 1, 8},
    {0x1F30, 0x1F37, 1, 8},     {0x1F40, 0x1F45, 1, 8},     {0x1F51, 0x1F57, 2, 8},
    {0x1F60, 0x1F67, 1, 8},     {0x1F70, 0x1F71, 1, 74},    {0x1F72, 0x1F75, 1, 86},
    {0x1F76, 0x1F77, 1, 100},   {0x1F78, 0x1F79, 1, 128},   {0x1F7A, 0x1F7B, 1, 112},
    {0x1F7C, 0x1F7D, 1, 126},   {0x1F80, 0x1F87, 1, 8},     {0x1F90, 0x1F97, 1, 8},
    {0x1FA0, 0x1FA7, 1, 8},     {0x1FB0, 0x1FB1, 1, 8},     {0x1FB3, 0x1FB3, 1, 9},
    {0x1FCC, 0x1FCC, 1, -9},    {0x1FD0, 0x1FD1, 1, 8},     {0x1FE0, 0x1FE1, 1, 8},
    {0x1FE5, 0x1FE5, 1, 7},     {0x1FFC, 0x1FFC, 1, -9},    {0x214E, 0x214E, 1, -28},
    {0x2170, 0x217F, 1, -16},   {0x2184, 0x2184, 1, -1},    {0x24D0, 0x24E9, 1, -26},
    {0x2C30, 0x2C5E, 1, -48},   {0x2C61, 0x2C68, 7, -1},    {0x2C6A, 0x2C6C, 2, -1},
    {0x2C76, 0x2C81, 11, -1},   {0x2C83, 0x2CE3, 2, -1},    {0x2D00, 0x2D25, 1, -7264},
    {0xFF41, 0xFF5A, 1, -32},
};

char16_t AsciiUpperUnit(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
}

char16_t UpperUnit(char16_t unit) {
  if (unit < 0x80) return AsciiUpperUnit(unit);
  // Runs are sorted by their first unit; find the last one starting at or
  // before `unit`.
  const auto after =
      std::upper_bound(std::begin(kUpperRuns), std::end(kUpperRuns), unit,
                       [](char16_t u, const UpperRun& run) { return u < run.first; });
  if (after == std::begin(kUpperRuns)) return unit;
  const UpperRun& run = *std::prev(after);
  if (unit > run.last || (unit - run.first) % run.stride != 0) return unit;
  return static_cast<char16_t>(unit + run.delta);
}

char AsciiUpperByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

// How many bytes at the starts of `a` and `b` are ASCII and alike but for
// case. Most names and every keyword are ASCII, and are compared here whole;
// where this stops short of either end, both are at a character's start.
std::size_t AsciiAlike(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  while (i < n && IsAscii(a[i]) && IsAscii(b[i]) && AsciiUpperByte(a[i]) == AsciiUpperByte(b[i])) {
    ++i;
  }
  return i;
}

// The upper-cased UTF-16 form of `name`; with `exact`, each byte that starts
// no valid UTF-8 sequence becomes a unit of its own (U+DC00 + the byte, a lone
// surrogate valid UTF-8 cannot give), so no two names compare alike that
// differ in their bytes but for case.
std::u16string Upper(std::string_view name, bool exact) {
  std::u16string key;
  key.reserve(name.size());
  // Most names are ASCII: one unit per byte.
  if (PlainRunEnd(name, 0) == name.size()) {
    for (const char c : name) key.push_back(AsciiUpperUnit(static_cast<char16_t>(c)));
    return key;
  }
  if (!exact) {
    AppendUtf16(key, name, Form::kUtf8);
  } else {
    for (std::size_t i = 0; i < name.size();) {
      const std::size_t start = i;
      const char32_t cp = NextCodePoint(name, i);
      if (cp == kReplacementCharacter && !name.substr(start).starts_with("\xEF\xBF\xBD")) {
        key.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(name[start])));
      } else {
        AppendUtf16(key, name.substr(start, i - start), Form::kUtf8);
      }
    }
  }
  for (char16_t& unit : key) unit = UpperUnit(unit);
  return key;
}

}  // namespace

std::u16string UpperCaseName(std::string_view name) { return Upper(name, false); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  const std::size_t i = AsciiAlike(a, b);
  if (i == a.size() || i == b.size()) return a.size() == b.size();
  if (IsAscii(a[i]) && IsAscii(b[i])) return false;  // ASCII letters that differ
  return Upper(a.substr(i), true) == Upper(b.substr(i), true);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  const std::size_t i = AsciiAlike(text, prefix);
  if (i == prefix.size()) return true;
  if (i == text.size() || (IsAscii(text[i]) && IsAscii(prefix[i]))) return false;
  return Upper(text.substr(i), true).starts_with(Upper(prefix.substr(i), true));
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  // From the ends, ASCII alike; then the rest, which ends at a character's end.
  std::size_t k = 0;
  while (k < suffix.size() && k < text.size()) {
    const char t = text[text.size() - 1 - k];
    const char s = suffix[suffix.size() - 1 - k];
    if (!IsAscii(t) || !IsAscii(s)) break;
    if (AsciiUpperByte(t) != AsciiUpperByte(s)) return false;
    ++k;
  }
  if (k == suffix.size()) return true;
  if (k == text.size()) return false;
  return Upper(text.substr(0, text.size() - k), true)
      .ends_with(Upper(suffix.substr(0, suffix.size() - k), true));
}

}  // namespace varnlink::text
