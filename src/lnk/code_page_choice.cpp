#include "lnk/code_page_choice.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "lnk/link_header.h"
#include "lnk/shortcut_decoder.h"
#include "text/code_page_decoder.h"
#include "text/name_case.h"
#include "text/windows_path.h"

namespace varnlink::lnk {
namespace {

constexpr unsigned kWesternPage = 1252;

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The parts of a path between its separators.
std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find_first_of("\\/", start), path.size());
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The link's ANSI strings with a byte above 0x7F, each with whether it is a path.
struct AnsiString {
  const std::string* bytes;
  bool path;
};

std::vector<AnsiString> AnsiStrings(const ShortcutInfo& info) {
  std::vector<AnsiString> strings;
  const auto add = [&strings](const std::optional<std::string>& bytes, bool path) {
    if (bytes) strings.push_back({&*bytes, path});
  };
  const AnsiBytes& raw = info.ansi_bytes;
  add(raw.target, true);
  if (info.link_info) add(info.link_info->target_bytes, true);
  add(raw.description, false);
  add(raw.relative_path, true);
  add(raw.start_in, true);
  add(raw.arguments, false);
  add(raw.icon_location, true);
  add(raw.environment, true);
  if (info.id_list) {
    for (const IdListEntry& entry : info.id_list->file_entries) add(entry.primary_name_bytes, true);
  }
  return strings;
}

// The link's Unicode strings, upper-cased as names compare, and their
// components as they are (for 8.3 names).
struct UnicodeStrings {
  std::vector<std::u16string> upper;
  std::vector<std::string_view> components;
};

UnicodeStrings UnicodeStringsOf(const ShortcutInfo& info) {
  UnicodeStrings strings;
  // The components are views into `info`'s own strings, never into a copy.
  const auto add = [&strings](const std::string& text) {
    if (IsAscii(text)) return;
    strings.upper.push_back(text::UpperCaseName(text));
    for (const std::string_view part : Components(text)) {
      if (!IsAscii(part)) strings.components.push_back(part);
    }
  };
  const auto add_present = [&add](const std::optional<std::string>& text) {
    if (text) add(*text);
  };
  if (info.id_list) {
    for (const IdListEntry& entry : info.id_list->file_entries) {
      add_present(entry.long_name);
      if (!entry.primary_name_bytes) add(entry.primary_name);  // a UTF-16 primary name
    }
  }
  if (info.environment) add(info.environment->unicode);
  if (info.link_flags & kIsUnicode) {
    for (const auto* text : {&info.description, &info.relative_path, &info.start_in,
                             &info.arguments, &info.icon_location}) {
      add_present(*text);
    }
  }
  if (info.link_info && !info.link_info->target_ansi_only) add(info.link_info->target);
  return strings;
}

bool Appears(std::string_view part, const UnicodeStrings& unicode) {
  const std::u16string upper = text::UpperCaseName(part);
  for (const std::u16string& text : unicode.upper) {
    if (text.find(upper) != std::u16string::npos) return true;
  }
  if (!text::IsShortName(part)) return false;
  return std::any_of(unicode.components.begin(), unicode.components.end(),
                     [part](std::string_view name) { return text::SameFileName(part, name); });
}

// Whether every non-ASCII part of the ANSI strings, read in `decoder`'s page,
// appears among the Unicode strings.
bool AllAppear(const std::vector<AnsiString>& ansi, const UnicodeStrings& unicode,
               const text::TextDecoder& decoder) {
  for (const AnsiString& string : ansi) {
    const std::string text = decoder.AnsiToUtf8(*string.bytes);
    const std::vector<std::string_view> parts =
        string.path ? Components(text) : std::vector<std::string_view>{text};
    for (const std::string_view part : parts) {
      if (!IsAscii(part) && !Appears(part, unicode)) return false;
    }
  }
  return true;
}

bool Convertible(unsigned code_page) { return !text::CodePageFault(code_page); }

}  // namespace

bool HasAnsiText(const ShortcutInfo& info) { return !AnsiStrings(info).empty(); }

std::optional<unsigned> AnsiPageOfOem(std::uint32_t oem_code_page) {
  switch (oem_code_page) {
    case 437:
    case 850:
      return 1252;
    case 852:
      return 1250;
    case 866:
      return 1251;
    case 737:
      return 1253;
    case 857:
      return 1254;
    case 862:
      return 1255;
    case 720:
      return 1256;
    case 775:
      return 1257;
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
      return oem_code_page;
    default:
      return std::nullopt;
  }
}

CodePageChoice ChooseCodePage(const ShortcutInfo& info, std::optional<unsigned> given,
                              unsigned system_page) {
  if (given) return {*given, CodePageSource::kGiven};
  const std::vector<AnsiString> ansi = AnsiStrings(info);
  const UnicodeStrings unicode = UnicodeStringsOf(info);
  if (!ansi.empty() && !unicode.upper.empty()) {
    for (const unsigned code_page : text::kAnsiCodePages) {
      if (Convertible(code_page) && AllAppear(ansi, unicode, text::CodePageDecoder(code_page))) {
        return {code_page, CodePageSource::kInferred};
      }
    }
  }
  if (info.console_code_page) {
    if (const auto page = AnsiPageOfOem(*info.console_code_page)) {
      return {*page, CodePageSource::kConsole};
    }
  }
  return {system_page, CodePageSource::kDefault};
}

ShortcutInfo DecodeInCodePage(std::span<const std::uint8_t> bytes, std::optional<unsigned> given,
                              unsigned system_page, Detail detail) {
  // Windows-1252 first: most links hold no non-ASCII ANSI text, and for them
  // the page makes no difference.
  static const text::Windows1252Decoder western;
  ShortcutInfo info = Decode(bytes, western, detail);
  if (!HasAnsiText(info)) return info;
  CodePageChoice choice = ChooseCodePage(info, given, system_page);
  if (!Convertible(choice.code_page)) choice = {kWesternPage, CodePageSource::kDefault};
  if (choice.code_page != kWesternPage) {
    info = Decode(bytes, text::CodePageDecoder(choice.code_page), detail);
  }
  info.code_page = choice;
  return info;
}

}  // namespace varnlink::lnk
