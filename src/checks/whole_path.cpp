#include "checks/whole_path.h"

#include <algorithm>
#include <array>

#include "text/windows_path.h"

namespace varnlink::checks {
namespace {

// The folders a variable stands for; "*" is any user's name, "?:" the drive
// Windows lives on, any drive (D: on the machines of a good many real links).
struct Variable {
  std::string_view name;
  std::array<std::string_view, 2> folders;  // "" for no second one
};

constexpr auto kVariables = std::to_array<Variable>({
    {"SystemRoot", {"?:\\Windows", "?:\\WINNT"}},
    {"windir", {"?:\\Windows", "?:\\WINNT"}},
    {"ProgramFiles", {"?:\\Program Files", "?:\\Program Files (x86)"}},
    {"ProgramFiles(x86)", {"?:\\Program Files (x86)", ""}},
    {"ProgramData", {"?:\\ProgramData", ""}},
    {"PUBLIC", {"?:\\Users\\Public", ""}},
    {"USERPROFILE", {"?:\\Users\\*", "?:\\Documents and Settings\\*"}},
    {"APPDATA",
     {"?:\\Users\\*\\AppData\\Roaming", "?:\\Documents and Settings\\*\\Application Data"}},
    {"LOCALAPPDATA",
     {"?:\\Users\\*\\AppData\\Local",
      "?:\\Documents and Settings\\*\\Local Settings\\Application Data"}},
    {"TEMP",
     {"?:\\Users\\*\\AppData\\Local\\Temp", "?:\\Documents and Settings\\*\\Local Settings\\Temp"}},
    {"TMP",
     {"?:\\Users\\*\\AppData\\Local\\Temp", "?:\\Documents and Settings\\*\\Local Settings\\Temp"}},
    {"HOMEDRIVE", {"?:", ""}},
    {"HOMEPATH", {"\\Users\\*", "\\Documents and Settings\\*"}},
});

// More leading variables than this are no path Windows would make
// ("%HOMEDRIVE%%HOMEPATH%" is the longest), and would multiply the forms.
constexpr std::size_t kMostVariables = 2;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The texts `path` may stand for, its leading variables resolved; empty
// when a variable is outside the table or a "%" is left.
std::vector<std::string> Expansions(std::string_view path) {
  std::vector<std::string> texts = {""};
  for (std::size_t count = 0; path.starts_with('%'); ++count) {
    const std::size_t end = path.find('%', 1);
    if (count == kMostVariables || end == std::string_view::npos) return {};
    const std::string_view name = path.substr(1, end - 1);
    const auto* variable = std::find_if(kVariables.begin(), kVariables.end(), [&](const auto& v) {
      return text::EqualsIgnoringCase(v.name, name);
    });
    if (variable == kVariables.end()) return {};
    std::vector<std::string> longer;
    for (const std::string& text : texts) {
      for (std::string_view folder : variable->folders) {
        if (!folder.empty()) longer.push_back(text + std::string(folder));
      }
    }
    texts = std::move(longer);
    path.remove_prefix(end + 1);
  }
  if (path.find('%') != std::string_view::npos) return {};
  for (std::string& text : texts) text += path;
  return texts;
}

}  // namespace

std::optional<WholePath> WholePath::Of(std::string_view path) {
  // "*" and "?" name no file, and mark the table's choices.
  if (path.find_first_of("*?") != std::string_view::npos) return std::nullopt;
  WholePath whole;
  for (const std::string& text : Expansions(path)) {
    const bool drive = (text::StartsWithDrive(text) || text.starts_with("?:")) &&
                       (text.size() == 2 || IsSeparator(text[2]));
    const bool share = text.size() > 2 && IsSeparator(text[0]) && IsSeparator(text[1]) &&
                       text[2] != '?' && text[2] != '.' && !IsSeparator(text[2]);
    if (!drive && !share) return std::nullopt;
    whole.on_share_ = share;
    Form form;
    std::string_view rest = text;
    while (!rest.empty()) {
      const auto end = std::find_if(rest.begin(), rest.end(), IsSeparator);
      const std::string_view name(rest.begin(), end);
      rest.remove_prefix(static_cast<std::size_t>(end - rest.begin()));
      if (!rest.empty()) rest.remove_prefix(1);
      // Doubled and trailing separators name no component of their own.
      const bool any = name == "*" || name == "?:";
      if (!name.empty()) form.push_back({any ? "" : std::string(name), "", any});
    }
    whole.forms_.push_back(std::move(form));
  }
  if (whole.forms_.empty()) return std::nullopt;
  return whole;
}

void WholePath::SetAliases(const std::vector<std::string_view>& names) {
  for (Form& form : forms_) {
    if (form.size() < names.size()) continue;
    const std::size_t first = form.size() - names.size();
    for (std::size_t i = 0; i < names.size(); ++i) form[first + i].alias = names[i];
  }
}

bool WholePath::SameComponent(const Component& a, const Component& b) {
  if (a.any || b.any) return true;
  for (const std::string& x : {a.name, a.alias}) {
    for (const std::string& y : {b.name, b.alias}) {
      if (!x.empty() && !y.empty() && text::SameFileName(x, y)) return true;
    }
  }
  return false;
}

bool WholePath::MayBeSameAs(const WholePath& other) const {
  if (on_share_ != other.on_share_) return false;
  for (const Form& a : forms_) {
    for (const Form& b : other.forms_) {
      if (std::equal(a.begin(), a.end(), b.begin(), b.end(), SameComponent)) return true;
    }
  }
  return false;
}

}  // namespace varnlink::checks
