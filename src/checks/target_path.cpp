#include "checks/target_path.h"

#include <algorithm>
#include <cctype>

#include "text/windows_path.h"

namespace varnlink::checks {
namespace {

using Reason = NotCheckedReason;

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// "C:" or "C:\..." at the start of `text`.
bool HasDriveRoot(std::string_view text) {
  return text::StartsWithDrive(text) && (text.size() == 2 || text[2] == '\\');
}

std::vector<std::string> Names(std::string_view text, bool as_written) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\\', start);
    if (end == std::string_view::npos) end = text.size();
    std::string name(text.substr(start, end - start));
    start = end + 1;
    if (!as_written) {
      if (name == "..") {
        if (!names.empty()) names.pop_back();
        continue;
      }
      // Windows drops trailing dots and blanks: "notes. " is "notes", "..." nothing.
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    }
    if (!name.empty() && name != ".") names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

WindowsPath ParseWindowsPath(std::string_view written) {
  std::string text(written);
  std::replace(text.begin(), text.end(), '/', '\\');
  std::string_view rest = text;
  bool as_written = false;
  if (rest.starts_with("\\\\?\\") || rest.starts_with("\\??\\") || rest.starts_with("\\\\.\\")) {
    const bool raw = rest[2] != '.';
    rest.remove_prefix(4);
    if (text::StartsWithIgnoringCase(rest, "UNC\\")) return {WindowsPath::Kind::kNetwork, 0, {}};
    if (!HasDriveRoot(rest)) return {WindowsPath::Kind::kDevice, 0, {}};
    as_written = raw;
  } else if (rest.starts_with("\\\\")) {
    return {WindowsPath::Kind::kNetwork, 0, {}};
  }
  if (!HasDriveRoot(rest)) return {WindowsPath::Kind::kRelative, 0, {}};
  const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
  rest.remove_prefix(std::min<std::size_t>(rest.size(), 3));
  return {WindowsPath::Kind::kDrive, drive, Names(rest, as_written)};
}

std::optional<Reason> NonPathTarget(std::string_view text) {
  if (text.starts_with("::")) return Reason::kShellNamespace;
  if (text::StartsWithIgnoringCase(text, "shell:AppsFolder\\") ||
      text::EqualsIgnoringCase(text, "shell:AppsFolder")) {
    return Reason::kPackagedApp;
  }
  if (text::StartsWithIgnoringCase(text, "shell:")) return Reason::kShellNamespace;
  // A URI's scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2 || !IsLetter(text[0])) return std::nullopt;
  for (const char c : text.substr(0, colon)) {
    if (!IsLetter(c) && !std::isdigit(static_cast<unsigned char>(c)) && c != '+' && c != '-' &&
        c != '.') {
      return std::nullopt;
    }
  }
  return Reason::kAddress;
}

std::optional<std::string> ExpandVariables(std::string_view text, const VariableLookup& lookup) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text.substr(at, open - at));
    if (close == open + 1) {  // "%%"
      out += "%%";
    } else {
      const auto value = lookup(std::string(text.substr(open + 1, close - open - 1)));
      if (!value) return std::nullopt;
      out += *value;
    }
    at = close + 1;
  }
  out.append(text.substr(std::min(at, text.size())));
  return out;
}

}  // namespace varnlink::checks
