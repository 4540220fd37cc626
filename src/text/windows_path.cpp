#include "text/windows_path.h"

#include <algorithm>

#include "text/report_text.h"

namespace varnlink::text {
namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// A file name as Windows reduces it for its 8.3 short name: upper case,
// without blanks, characters outside ASCII as "_" (one each), and the
// characters an 8.3 name cannot hold as "_". The periods of the base are
// dropped by the caller.
std::string ShortForm(std::string_view name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c == ' ') continue;
    if (c >= 0x80) {
      if ((c & 0xC0) != 0x80) out += '_';  // a sequence's first byte
      continue;
    }
    out += std::string_view("+,;=[]").find(static_cast<char>(c)) != std::string_view::npos
               ? '_'
               : Upper(static_cast<char>(c));
  }
  return out;
}

// `pattern`, a piece of a short name, begins `text`, a ShortForm; "_" stands
// for any character the short name could not hold.
bool BeginsWith(std::string_view text, std::string_view pattern) {
  if (pattern.size() > text.size()) return false;
  return std::equal(pattern.begin(), pattern.end(), text.begin(),
                    [](char p, char t) { return p == '_' || Upper(p) == t; });
}

// True when `short_name` is an 8.3 name Windows would make of `long_name`:
// up to six characters of its base, "~" and a number, and up to three of its
// extension; or, once many names share a start, two characters, four hex
// digits, "~" and a number.
bool Abbreviates(std::string_view short_name, std::string_view long_name) {
  if (!IsShortName(short_name)) return false;
  const std::size_t short_dot = short_name.find('.');
  const std::string_view short_base = short_name.substr(0, short_dot);
  const std::string_view short_ext =
      short_dot == std::string_view::npos ? "" : short_name.substr(short_dot + 1);
  const std::size_t long_dot = long_name.rfind('.');
  const bool has_ext = long_dot != std::string_view::npos && long_dot > 0;
  std::string base = ShortForm(long_name.substr(0, has_ext ? long_dot : long_name.size()));
  std::erase(base, '.');
  const std::string ext = has_ext ? ShortForm(long_name.substr(long_dot + 1)) : "";
  if (!BeginsWith(ext, short_ext) || short_ext.size() != std::min<std::size_t>(ext.size(), 3)) {
    return false;
  }
  const std::string_view stem = short_base.substr(0, short_base.rfind('~'));
  if (BeginsWith(base, stem)) return true;
  return stem.size() == 6 && BeginsWith(base, stem.substr(0, 2)) &&
         std::all_of(stem.begin() + 2, stem.end(), [](char c) { return IsHexDigit(Upper(c)); });
}

}  // namespace

std::optional<std::string> WindowsPathFault(std::string_view path) {
  if (path.empty()) return "is empty";
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (static_cast<unsigned char>(c) < 0x20) return "holds a control character";
    if (std::string_view("\"<>|?*").find(c) != std::string_view::npos) {
      return std::string("holds \"") + c + "\"";
    }
    if (c == ':' && !(i == 1 && StartsWithDrive(path))) return "holds \":\" after its start";
  }
  return std::nullopt;
}

bool StartsWithDrive(std::string_view path) {
  return path.size() >= 2 && Upper(path[0]) >= 'A' && Upper(path[0]) <= 'Z' && path[1] == ':';
}

bool HasBidiControl(std::string_view text) {
  // U+200E/F, U+202A-E and U+2066-9 in UTF-8: E2 80 8E-8F, E2 80 AA-AE, E2 81 A6-A9.
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) != 0xE2) continue;
    const auto b1 = static_cast<unsigned char>(text[i + 1]);
    const auto b2 = static_cast<unsigned char>(text[i + 2]);
    if ((b1 == 0x80 && (b2 == 0x8E || b2 == 0x8F || (b2 >= 0xAA && b2 <= 0xAE))) ||
        (b1 == 0x81 && b2 >= 0xA6 && b2 <= 0xA9)) {
      return true;
    }
  }
  return false;
}

std::string_view FinalName(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string LowerExtension(std::string_view path) {
  const std::string_view name = FinalName(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? "" : AsciiLower(name.substr(dot + 1));
}

bool IsShortName(std::string_view name) {
  const std::size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  if (dot != std::string_view::npos) {
    const std::string_view extension = name.substr(dot + 1);
    if (extension.empty() || extension.size() > 3 ||
        extension.find('.') != std::string_view::npos) {
      return false;
    }
  }
  const std::size_t tilde = base.rfind('~');
  if (tilde == std::string_view::npos || tilde == 0 || tilde > 6 || base.size() > 8 ||
      tilde + 1 == base.size()) {
    return false;
  }
  return std::all_of(base.begin() + static_cast<std::ptrdiff_t>(tilde) + 1, base.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

bool SameFileName(std::string_view a, std::string_view b) {
  return EqualsIgnoringCase(a, b) || Abbreviates(a, b) || Abbreviates(b, a);
}

bool IsUncPath(std::string_view path) {
  const std::string upper = AsciiUpper(path.substr(0, 8));
  if (upper.starts_with("\\\\?\\UNC\\")) return true;
  return path.starts_with("\\\\") && !upper.starts_with("\\\\?\\") && !upper.starts_with("\\\\.\\");
}

}  // namespace varnlink::text
