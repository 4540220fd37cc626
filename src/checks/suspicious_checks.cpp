#include "checks/suspicious_checks.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

#include "checks/suspicious_arguments.h"
#include "checks/whole_path.h"
#include "lnk/link_header.h"
#include "text/report_text.h"
#include "text/utf8.h"
#include "text/windows_path.h"

namespace varnlink::checks {
namespace {

// Programs that run what their arguments say (each with ".exe").
constexpr auto kHosts = std::to_array<std::string_view>(
    {"cmd",          "powershell", "pwsh",        "mshta",  "rundll32", "regsvr32",
     "wscript",      "cscript",    "conhost",     "wmic",   "msiexec",  "certutil",
     "bitsadmin",    "forfiles",   "hh",          "cmstp",  "curl",     "schtasks",
     "scriptrunner", "msbuild",    "installutil", "regasm", "odbcconf"});
// The hosts that run scripts or commands typed into their arguments.
constexpr auto kScriptHosts =
    std::to_array<std::string_view>({"cmd", "powershell", "pwsh", "mshta", "wscript", "cscript",
                                     "conhost", "regsvr32", "forfiles"});
constexpr auto kCodeExtensions = std::to_array<std::string_view>(
    {"exe", "com", "scr", "pif", "bat", "cmd", "ps1", "vbs", "vbe", "js", "jse", "wsf", "wsh",
     "hta", "cpl", "dll", "msi", "jar", "lnk"});
constexpr auto kDocumentExtensions = std::to_array<std::string_view>(
    {"pdf",  "doc", "docx", "xls", "xlsx", "ppt", "pptx", "rtf",  "txt", "jpg",
     "jpeg", "png", "gif",  "bmp", "zip",  "rar", "htm",  "html", "mp4", "mp3"});
// Programs that show documents (each with ".exe").
constexpr auto kViewers = std::to_array<std::string_view>(
    {"msedge", "chrome", "firefox", "iexplore", "acrord32", "acrobat", "winword", "excel",
     "powerpnt", "wordpad", "notepad", "mspaint", "wmplayer", "foxitreader"});
// Libraries of the system's icons (each with ".dll").
constexpr auto kIconLibraries = std::to_array<std::string_view>(
    {"imageres", "shell32", "moricons", "zipfldr", "pifmgr", "ddores"});

// Windows shows about this many characters of the arguments in the target
// field, and reads at most this many of the other strings.
constexpr std::uint16_t kShownArguments = 255;
constexpr std::uint16_t kReadStringCharacters = 260;
constexpr std::uint16_t kLongHostArguments = 250;
constexpr std::size_t kBlankRun = 16;
constexpr std::uint32_t kWebDavProvider = 0x002E0000;

template <std::size_t N>
bool IsOneOf(const std::array<std::string_view, N>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// `text` in quotes, its first 80 bytes (whole characters) and "..." when longer.
std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 80;
  std::size_t cut = text.size();
  if (cut > kShown) {
    cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  return "\"" + std::string(text.substr(0, cut)) + (cut < text.size() ? "...\"" : "\"");
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
// What shows as nothing among the arguments: ASCII blanks, every Unicode
// space separator (category Zs), and the format characters that take no
// room (zero-width space, joiners, word joiner, byte-order mark).
bool IsInvisibleBlank(char32_t c) {
  if (c < 0x80) return IsBlank(static_cast<char>(c));
  return c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200D) || c == 0x202F || c == 0x205F ||
         c == 0x2060 || c == 0x3000 || c == 0xFEFF;
}
bool IsPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// The program a final name names, without ".exe" (lower case); "" for other files.
std::string ProgramOf(std::string_view name, std::string_view extension) {
  const std::string lower = text::AsciiLower(name);
  const std::string suffix = "." + std::string(extension);
  return lower.ends_with(suffix) ? lower.substr(0, lower.size() - suffix.size()) : "";
}

// True when `path` lies in the system's own folders, System32 or SysWOW64,
// written with a drive, %windir% or %SystemRoot%, and climbs no "..".
bool InSystemFolders(std::string_view path) {
  std::string lower = text::AsciiLower(path);
  std::replace(lower.begin(), lower.end(), '/', '\\');
  if (lower.find("\\..\\") != std::string::npos) return false;
  std::string_view rest = lower;
  if (text::StartsWithDrive(rest)) {
    rest.remove_prefix(2);
    if (!rest.starts_with("\\windows")) return false;
    rest.remove_prefix(8);
  } else if (rest.starts_with("%windir%")) {
    rest.remove_prefix(8);
  } else if (rest.starts_with("%systemroot%")) {
    rest.remove_prefix(12);
  } else {
    return false;
  }
  return rest.starts_with("\\system32\\") || rest.starts_with("\\syswow64\\");
}

// What the checks share: the values of the link and what Windows runs.
struct Link {
  Link(const lnk::ShortcutInfo& link_info, std::string_view file)
      : info(link_info),
        file_name(file),
        runs_name(text::FinalName(info.effective_target)),
        host(ProgramOf(runs_name, "exe")) {
    // The command prompt is also run by the variable that names it.
    if (text::EqualsIgnoringCase(runs_name, "%comspec%")) host = "cmd";
    if (!IsOneOf(kHosts, host)) host.clear();
    runs_code = IsOneOf(kCodeExtensions, text::LowerExtension(runs_name)) || !host.empty() ||
                (info.id_list && info.id_list->control_panel_applet);
  }

  // What runs, for a reason: its name, or the applet.
  [[nodiscard]] std::string WhatRuns() const {
    return runs_name.empty() ? "a Control Panel applet" : Quoted(runs_name);
  }
  [[nodiscard]] bool UsesEnvironment() const {
    return (info.link_flags & lnk::kHasExpString) && info.environment;
  }

  const lnk::ShortcutInfo& info;
  std::string_view file_name;
  std::string_view runs_name;  // the final name of what Windows runs
  std::string host;            // "cmd" when that is one of the hosts; else ""
  bool runs_code = false;
};

using Reason = std::optional<std::string>;

Reason EnvironmentBlockSpoof(const Link& link) {
  if (!link.UsesEnvironment()) return std::nullopt;
  const auto& [ansi, unicode] = *link.info.environment;
  if (ansi.empty() && unicode.empty()) return "both halves of the environment block are empty";
  if (ansi.empty() || unicode.empty()) {
    return std::string("the environment block's ") + (ansi.empty() ? "ANSI" : "Unicode") +
           " half is empty, the other names " + Quoted(ansi.empty() ? unicode : ansi);
  }
  auto fault = text::WindowsPathFault(unicode);
  if (!fault && text::HasBidiControl(unicode)) fault = "holds a bidirectional control";
  if (fault) {
    return "the environment block's Unicode half " + *fault + ": " + Quoted(unicode);
  }
  if (IsPrintableAscii(ansi) && IsPrintableAscii(unicode) &&
      !text::EqualsIgnoringCase(ansi, unicode)) {
    return "the environment block's halves differ: " + Quoted(ansi) + " and " + Quoted(unicode);
  }
  return std::nullopt;
}

// What a record names: its whole path where that resolves, its final file
// name and the other name that file may go by.
struct Named {
  std::string_view record;
  std::string_view path;
  std::optional<WholePath> whole;
  std::string_view name;  // "" where only the whole path may be compared
  std::string_view alias;
};

bool SameFinalName(const Named& a, const Named& b) {
  const auto matches = [&b](std::string_view name) {
    return !name.empty() && (text::SameFileName(name, b.name) ||
                             (!b.alias.empty() && text::SameFileName(name, b.alias)));
  };
  return matches(a.name) || matches(a.alias);
}

// Why two records name different files; nullopt when they may name the same
// one, or cannot be set against each other. Paths from a drive and from a
// share are compared by their final names, as a mapped drive joins them.
Reason Mismatch(const Named& a, const Named& b) {
  const bool whole = a.whole && b.whole && a.whole->on_share() == b.whole->on_share();
  if (!whole && (a.name.empty() || b.name.empty())) return std::nullopt;
  const bool same_name = !a.name.empty() && !b.name.empty() && SameFinalName(a, b);
  if (whole ? a.whole->MayBeSameAs(*b.whole) : same_name) return std::nullopt;
  // Final names that differ tell it; else the folders do.
  const bool by_path = same_name || a.name.empty() || b.name.empty();
  return std::string(a.record) + " names " + Quoted(by_path ? a.path : a.name) + ", " +
         std::string(b.record) + " " + Quoted(by_path ? b.path : b.name);
}

Reason TargetMismatch(const Link& link) {
  const lnk::ShortcutInfo& info = link.info;
  std::vector<Named> named;
  if (info.id_list && !info.id_list->file_entries.empty()) {
    const auto& entries = info.id_list->file_entries;
    const lnk::IdListEntry& last = entries.back();
    const std::string_view primary = last.primary_name;
    Named id_list{"the ID list", "", std::nullopt,
                  last.long_name ? std::string_view(*last.long_name) : primary,
                  last.long_name ? primary : std::string_view()};
    if (info.id_list->target) {
      id_list.path = *info.id_list->target;
      id_list.whole = WholePath::Of(id_list.path);
    }
    // A path of file entries holds each entry's long name; its short name
    // may stand for it in another record.
    if (id_list.whole) {
      std::vector<std::string_view> aliases;
      for (const lnk::IdListEntry& entry : entries) {
        aliases.push_back(entry.long_name ? std::string_view(entry.primary_name) : "");
      }
      id_list.whole->SetAliases(aliases);
    }
    named.push_back(std::move(id_list));
  }
  // A path read in a code page only defaulted to may read differently on the
  // creating machine: only its ASCII is compared. One read in a code page
  // inferred from the link's own strings, or given, is compared in full.
  const bool page_known =
      info.code_page && (info.code_page->source == lnk::CodePageSource::kInferred ||
                         info.code_page->source == lnk::CodePageSource::kGiven);
  if (info.link_info) {
    const std::string& target = info.link_info->target;
    Named link_info{"the link info", target, std::nullopt, text::FinalName(target), {}};
    if (!info.link_info->target_ansi_only || page_known || IsPrintableAscii(target)) {
      link_info.whole = WholePath::Of(target);
      named.push_back(std::move(link_info));
    } else if (IsPrintableAscii(link_info.name)) {
      named.push_back(std::move(link_info));
    }
  }
  if (link.UsesEnvironment()) {
    const auto& [ansi, unicode] = *info.environment;
    const std::string& target = unicode.empty() ? ansi : unicode;
    if (text::IsWindowsPath(target)) {
      Named environment{
          "the environment block", target, WholePath::Of(target), text::FinalName(target), {}};
      // A name holding a variable is no name to compare.
      if (environment.name.find('%') != std::string_view::npos) environment.name = {};
      named.push_back(std::move(environment));
    }
  }
  std::erase_if(named, [](const Named& n) { return n.name.empty() && !n.whole; });
  for (std::size_t a = 0; a < named.size(); ++a) {
    for (std::size_t b = a + 1; b < named.size(); ++b) {
      if (auto reason = Mismatch(named[a], named[b])) return reason;
    }
  }
  return std::nullopt;
}

Reason HiddenArguments(const Link& link) {
  if (!link.info.arguments) return std::nullopt;
  const std::string& arguments = *link.info.arguments;
  constexpr auto kBreaks = std::to_array<std::string_view>(
      {"a line feed", "a vertical tab", "a form feed", "a carriage return"});
  std::size_t run = 0;
  std::size_t longest = 0;
  for (std::size_t i = 0; i < arguments.size();) {
    const char32_t c = text::NextCodePoint(arguments, i);
    if (c >= '\n' && c <= '\r') {
      return "the arguments hold " + std::string(kBreaks[static_cast<std::size_t>(c - '\n')]);
    }
    run = IsInvisibleBlank(c) ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  if (longest >= kBlankRun) {
    return "the arguments hold a run of " + std::to_string(longest) + " blanks";
  }
  if (const auto count = link.info.string_counts.arguments; count && *count > kShownArguments) {
    return "the arguments are " + std::to_string(*count) + " characters long";
  }
  return std::nullopt;
}

Reason OverlongString(const Link& link) {
  const lnk::StringCounts& counts = link.info.string_counts;
  std::string reason;
  for (const auto& [what, count] : {std::pair{"the description", counts.description},
                                    std::pair{"the relative path", counts.relative_path},
                                    std::pair{"the working folder", counts.start_in}}) {
    if (!count || *count <= kReadStringCharacters) continue;
    if (!reason.empty()) reason += "; ";
    reason += std::string(what) + " counts " + std::to_string(*count) + " characters";
  }
  if (reason.empty()) return std::nullopt;
  reason += " (Windows reads 260)";
  const lnk::ShortcutInfo& info = link.info;
  if (info.declared_strings && info.declared_strings->arguments && info.arguments) {
    reason += "; Windows reads the arguments as " + Quoted(*info.arguments) +
              ", the counts declare " + Quoted(*info.declared_strings->arguments);
  }
  return reason;
}

// "a dot" or "a blank" when a path ends in one (which Windows drops when it
// opens the file); a final ".." is a parent folder.
std::optional<std::string_view> BadEnding(std::string_view path) {
  if (path.empty() || text::FinalName(path) == "..") return std::nullopt;
  if (path.back() == '.') return "a dot";
  if (path.back() == ' ') return "a blank";
  return std::nullopt;
}

Reason NoncanonicalTarget(const Link& link) {
  const lnk::ShortcutInfo& info = link.info;
  const std::string* local =
      info.link_info && info.link_info->local_path ? &*info.link_info->local_path : nullptr;
  const std::string* id_list_path =
      info.id_list && info.id_list->target ? &*info.id_list->target : nullptr;
  for (const auto& [record, path] : {std::pair{"the link info's local path", local},
                                     std::pair{"the ID list's path", id_list_path}}) {
    if (path == nullptr) continue;
    if (const auto ending = BadEnding(*path)) {
      return std::string(record) + " ends in " + std::string(*ending) + ": " + Quoted(*path);
    }
  }
  if (info.id_list) {
    for (const lnk::IdListEntry& entry : info.id_list->file_entries) {
      for (const std::string& name : {entry.primary_name, entry.long_name.value_or("")}) {
        if (name.find('\\') != std::string::npos) {
          return "an ID-list file entry's name holds \"\\\": " + Quoted(name);
        }
      }
    }
  }
  if (local != nullptr) {
    const std::string& path = *local;
    const bool drive = text::StartsWithDrive(path) && path.size() >= 3 && path[2] == '\\';
    if (!drive && !path.starts_with("\\\\")) {
      return "the link info's local path starts with neither a drive nor \"\\\\\": " + Quoted(path);
    }
  }
  return std::nullopt;
}

// The host a program's name names, with ".exe" or (as Windows adds it to a
// command) without; "" for other programs.
std::string HostOf(std::string_view name) {
  if (text::EqualsIgnoringCase(name, "%comspec%")) return "cmd";
  std::string host = ProgramOf(name, "exe");
  if (host.empty() && text::LowerExtension(name).empty()) host = text::AsciiLower(name);
  return IsOneOf(kHosts, host) ? host : "";
}

// Wrappers within wrappers looked into; deeper ones are suspicious already
// by their own markers.
constexpr int kDeepestWrapper = 4;

// What the commands a wrapper runs do, checked as if each were the target.
Reason WrappedRisk(const Link& link, std::string host, std::string arguments) {
  for (int depth = 0; depth < kDeepestWrapper; ++depth) {
    auto wrapped = WrappedCommandOf(host, arguments);
    if (!wrapped || wrapped->program.empty()) return std::nullopt;
    const std::string& program = wrapped->program;
    host = HostOf(text::FinalName(program));
    if (!host.empty()) {
      if (const auto piece = SuspiciousArgument(wrapped->arguments)) {
        return link.WhatRuns() + " runs " + Quoted(program) + " with " + Quoted(*piece) +
               " in its arguments";
      }
    }
    if (text::LowerExtension(program) == "cpl" && !InSystemFolders(program)) {
      return link.WhatRuns() + " runs the Control Panel applet " + Quoted(program) +
             ", which lies outside System32 and SysWOW64";
    }
    arguments = std::move(wrapped->arguments);
  }
  return std::nullopt;
}

Reason RiskyHost(const Link& link) {
  const lnk::ShortcutInfo& info = link.info;
  const std::string_view arguments = info.arguments ? std::string_view(*info.arguments) : "";
  if (!link.host.empty() && !std::all_of(arguments.begin(), arguments.end(), IsBlank)) {
    if (const auto piece = SuspiciousArgument(arguments)) {
      return link.WhatRuns() + " runs with " + Quoted(*piece) + " in its arguments";
    }
    if (auto reason = WrappedRisk(link, link.host, std::string(arguments))) return reason;
    // forfiles runs what its /c names for it, a program started by proxy.
    if (const auto wrapped = WrappedCommandOf(link.host, arguments);
        wrapped && link.host == "forfiles") {
      return link.WhatRuns() + " runs with " + Quoted(wrapped->marker) + " in its arguments";
    }
    if (const auto count = info.string_counts.arguments; count && *count > kLongHostArguments) {
      return link.WhatRuns() + " runs with " + std::to_string(*count) + " characters of arguments";
    }
    if (info.run == lnk::RunMode::kMinimised) return link.WhatRuns() + " runs minimised";
  }
  std::optional<std::string_view> applet;
  if (info.id_list && info.id_list->cpl_path) applet = *info.id_list->cpl_path;
  if (!applet || InSystemFolders(*applet)) {
    applet = std::nullopt;
    if (text::LowerExtension(link.runs_name) == "cpl") applet = info.effective_target;
  }
  if (applet && !InSystemFolders(*applet)) {
    return "the Control Panel applet " + Quoted(*applet) + " lies outside System32 and SysWOW64";
  }
  return std::nullopt;
}

Reason Masquerade(const Link& link) {
  if (!link.runs_code) return std::nullopt;
  const lnk::ShortcutInfo& info = link.info;
  if (info.icon_location) {
    const std::string_view icon = text::FinalName(*info.icon_location);
    const std::string extension = text::LowerExtension(icon);
    const bool icon_of = [&] {
      if (icon.empty() || text::SameFileName(icon, link.runs_name)) return false;
      if (IsOneOf(kDocumentExtensions, extension)) return true;
      if (IsOneOf(kViewers, ProgramOf(icon, "exe"))) return true;
      return IsOneOf(kIconLibraries, ProgramOf(icon, "dll")) && IsOneOf(kScriptHosts, link.host);
    }();
    if (icon_of) {
      return link.WhatRuns() + " runs under the icon of " + Quoted(*info.icon_location);
    }
  }
  std::string_view name = link.file_name;
  if (text::EndsWithIgnoringCase(name, ".lnk")) name.remove_suffix(4);
  if (IsOneOf(kDocumentExtensions, text::LowerExtension(name))) {
    return link.WhatRuns() + " runs from a shortcut named like a document: " + Quoted(name);
  }
  if (text::HasBidiControl(name)) {
    return link.WhatRuns() + " runs from a shortcut whose name holds a bidirectional control";
  }
  return std::nullopt;
}

// What in a target or icon path fetches it from another machine over the
// web: "@SSL", "@<port>\", "DavWWWRoot", or a URL.
std::optional<std::string> WebMarker(std::string_view path, bool url_allowed) {
  const std::string lower = text::AsciiLower(path);
  for (std::string_view marker : {"@ssl", "davwwwroot"}) {
    if (lower.find(marker) != std::string::npos) return std::string(marker);
  }
  for (std::size_t at = lower.find('@'); at != std::string::npos; at = lower.find('@', at + 1)) {
    std::size_t end = at + 1;
    while (end < lower.size() && lower[end] >= '0' && lower[end] <= '9') ++end;
    if (end > at + 1 && end < lower.size() && lower[end] == '\\') {
      return std::string(path.substr(at, end + 1 - at));
    }
  }
  if (url_allowed) return std::nullopt;
  for (std::string_view scheme : {"http://", "https://", "file://"}) {
    if (lower.starts_with(scheme)) return std::string(scheme);
  }
  return std::nullopt;
}

Reason RemoteLocation(const Link& link) {
  const lnk::ShortcutInfo& info = link.info;
  if (info.link_info && info.link_info->network_provider_type == kWebDavProvider) {
    return "the link info names a WebDAV share: " + Quoted(info.link_info->target);
  }
  // A URI of the Internet folder is a web link, and shows as one.
  const bool web_link = info.effective_target_source == lnk::TargetSource::kIdList &&
                        info.id_list && info.id_list->names_uri;
  const std::string icon = info.icon_location.value_or("");
  for (const auto& [what, path, url_allowed] :
       {std::tuple{"the target", std::string_view(info.effective_target), web_link},
        std::tuple{"the icon", std::string_view(icon), false}}) {
    if (const auto marker = WebMarker(path, url_allowed)) {
      return std::string(what) + " " + Quoted(path) + " is fetched over the web (" + *marker + ")";
    }
  }
  if (link.runs_code && text::IsUncPath(info.effective_target)) {
    return "code runs from a share: " + Quoted(info.effective_target);
  }
  if (text::IsUncPath(icon)) return "the icon lies on a share: " + Quoted(icon);
  return std::nullopt;
}

struct Check {
  std::string_view id;
  Reason (*run)(const Link&);
};

constexpr std::array<Check, 8> kChecks = {{
    {"env_block_spoof", EnvironmentBlockSpoof},
    {"target_mismatch", TargetMismatch},
    {"hidden_arguments", HiddenArguments},
    {"overlong_string", OverlongString},
    {"noncanonical_target", NoncanonicalTarget},
    {"risky_host", RiskyHost},
    {"masquerade", Masquerade},
    {"remote_location", RemoteLocation},
}};

}  // namespace

std::vector<Suspicion> FindSuspicions(const lnk::ShortcutInfo& info, std::string_view file_name) {
  std::vector<Suspicion> found;
  if (!info.genuine) return found;
  const Link link(info, file_name);
  for (const Check& check : kChecks) {
    if (auto reason = check.run(link)) found.push_back({check.id, std::move(*reason)});
  }
  return found;
}

}  // namespace varnlink::checks
