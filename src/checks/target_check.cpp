#include "checks/target_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "checks/target_path.h"
#include "text/windows_path.h"

namespace varnlink::checks {
namespace {

// How many symbolic links one name may lead through, as Linux allows.
constexpr int kMaxLinks = 40;

TargetStatus NotChecked(NotCheckedReason reason, std::optional<std::string> path = std::nullopt) {
  return {TargetOutcome::kNotChecked, reason, std::move(path)};
}

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) names.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// `path` with "." and ".." taken away as text (".." never above "/").
std::string Normalised(std::string_view path) {
  std::vector<std::string> names;
  for (std::string& name : Split(path, '/')) {
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (name != ".") {
      names.push_back(std::move(name));
    }
  }
  std::string out;
  for (const std::string& name : names) out += '/' + name;
  return out.empty() ? "/" : out;
}

// Windows' defaults that depend on nothing but the drive.
struct FixedDefault {
  std::string_view name;
  std::string_view value;
};
constexpr std::array<FixedDefault, 7> kFixedDefaults{{
    {"SystemDrive", "C:"},
    {"HOMEDRIVE", "C:"},
    {"ProgramFiles", "C:\\Program Files"},
    {"ProgramW6432", "C:\\Program Files"},
    {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
    {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
    {"PUBLIC", "C:\\Users\\Public"},
}};

// The variables that name places inside the user's own profile.
bool IsProfileVariable(const std::string& name) {
  for (const std::string_view known :
       {"USERPROFILE", "HOMEPATH", "APPDATA", "LOCALAPPDATA", "TEMP", "TMP"}) {
    if (text::EqualsIgnoringCase(name, known)) return true;
  }
  return false;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Whether Windows could hold a file of this name: no control characters and
// none of < > : " / \ | ? *. Such a name is never looked for (a NUL would
// cut the path short and find another file).
bool IsPossibleName(std::string_view name) {
  return text::IsWindowsPath(name) && name.find_first_of(":/\\") == std::string_view::npos;
}

}  // namespace

TargetCheck::TargetCheck(const platform::TargetFiles& files, const TargetCheckSettings& settings,
                         const std::string& audited_folder)
    : files_(files),
      separator_(files.Separator()),
      automatic_c_(settings.drives.empty() && !files.LiveWindows()),
      variables_(settings.variables) {
  for (const auto& [letter, folder] : settings.drives)
    mapped_[Upper(letter)] = files.FullPath(folder);
  AuditFrom(audited_folder);
}

void TargetCheck::AuditFrom(const std::string& audited_path) {
  if (!automatic_c_) return;
  std::optional<std::string> volume = files_.WindowsVolumeOf(audited_path);
  const auto mapped = mapped_.find('C');
  if (mapped == mapped_.end() ? !volume : volume == mapped->second) return;
  if (volume) {
    mapped_['C'] = std::move(*volume);
  } else {
    mapped_.erase('C');
  }
  // What was worked out from the previous disk's C: no longer holds.
  profiles_.clear();
  system_root_.reset();
  xp_disk_.reset();
}

TargetStatus TargetCheck::Check(const lnk::ShortcutInfo& info, const std::string& location) {
  TargetStatus status = Classify(info, location);
  if (status.outcome == TargetOutcome::kMissing) ++not_found_;
  if (status.outcome == TargetOutcome::kNotChecked) ++not_checked_;
  return status;
}

std::string TargetCheck::Summary() const {
  return "Targets not found: " + std::to_string(not_found_) +
         "; not checked: " + std::to_string(not_checked_);
}

TargetStatus TargetCheck::Classify(const lnk::ShortcutInfo& info, const std::string& location) {
  if (info.target.empty()) return NotChecked(NotCheckedReason::kEmpty);
  if (info.target_source == lnk::TargetSource::kAppId) {
    return NotChecked(NotCheckedReason::kPackagedApp);
  }
  if (const auto reason = NonPathTarget(info.target)) return NotChecked(*reason);
  std::string text = info.target;
  // Only the environment block holds variables; elsewhere "%" is part of a name.
  if (info.target_source == lnk::TargetSource::kEnvironment) {
    const std::optional<Profile>& profile = ProfileOf(location);
    auto expanded =
        ExpandVariables(text, [&](const std::string& name) { return VariableFor(name, profile); });
    if (!expanded) return NotChecked(NotCheckedReason::kUnknownVariable);
    text = std::move(*expanded);
    if (const auto reason = NonPathTarget(text)) return NotChecked(*reason);
  }
  const WindowsPath path = ParseWindowsPath(text);
  switch (path.kind) {
    case WindowsPath::Kind::kNetwork:
      return NotChecked(NotCheckedReason::kNetworkPath);
    case WindowsPath::Kind::kDevice:
      return NotChecked(NotCheckedReason::kUnmappedDrive);
    case WindowsPath::Kind::kRelative:
      return NotChecked(NotCheckedReason::kRelativePath);
    case WindowsPath::Kind::kDrive:
      break;
  }
  const Root root = RootOf(path.drive);
  if (!root.folder) return NotChecked(root.reason);
  std::string checked = *root.folder;
  for (const std::string& name : path.names) checked = Join(checked, name);
  if (!std::all_of(path.names.begin(), path.names.end(), IsPossibleName)) {
    return {TargetOutcome::kMissing, std::nullopt, std::move(checked)};
  }
  // A found target is named as the file system spells it, so that the path
  // opens where names match case exactly.
  std::string spelled;
  const Place place = Resolve(*root.folder, path.names, &spelled);
  switch (place.kind) {
    case Place::Kind::kFile:
    case Place::Kind::kFolder:
      return {TargetOutcome::kFound, std::nullopt, std::move(spelled)};
    case Place::Kind::kShortName:
      return NotChecked(NotCheckedReason::kShortName, std::move(checked));
    case Place::Kind::kNoMedium:
      return NotChecked(NotCheckedReason::kNoMedium);
    case Place::Kind::kNothing:
      return {TargetOutcome::kMissing, std::nullopt, std::move(checked), place.absent};
  }
  return {TargetOutcome::kMissing, std::nullopt, std::move(checked)};
}

TargetCheck::Root TargetCheck::RootOf(char drive) {
  if (const auto mapped = mapped_.find(drive); mapped != mapped_.end()) return {mapped->second};
  if (!files_.LiveWindows()) return {std::nullopt, NotCheckedReason::kUnmappedDrive};
  auto [known, added] = live_drives_.try_emplace(drive);
  if (added) known->second = files_.Drive(drive);
  switch (known->second) {
    case platform::DriveKind::kLocal:
      return {std::string{drive, ':', '\\'}};
    case platform::DriveKind::kNetwork:
      return {std::nullopt, NotCheckedReason::kNetworkPath};
    case platform::DriveKind::kNoMedium:
      return {std::nullopt, NotCheckedReason::kNoMedium};
    case platform::DriveKind::kAbsent:
      break;
  }
  return {std::nullopt, NotCheckedReason::kUnmappedDrive};
}

std::optional<std::string> TargetCheck::VariableFor(const std::string& name,
                                                    const std::optional<Profile>& profile) {
  for (auto given = variables_.rbegin(); given != variables_.rend(); ++given) {
    if (text::EqualsIgnoringCase(given->first, name)) return given->second;
  }
  if (!files_.LiveWindows()) return DefaultOf(name, profile);
  // A shortcut in another user's profile means that user's folders.
  if (profile && IsProfileVariable(name)) {
    const auto own = files_.Variable("USERPROFILE");
    if (!own || !text::EqualsIgnoringCase(*own, profile->path)) return DefaultOf(name, profile);
  }
  return files_.Variable(name);
}

std::optional<std::string> TargetCheck::DefaultOf(const std::string& name,
                                                  const std::optional<Profile>& profile) {
  for (const FixedDefault& fixed : kFixedDefaults) {
    if (text::EqualsIgnoringCase(name, fixed.name)) return std::string(fixed.value);
  }
  if (text::EqualsIgnoringCase(name, "SystemRoot") || text::EqualsIgnoringCase(name, "windir")) {
    if (!system_root_) {
      system_root_ =
          !IsFolder('C', {"Windows"}) && IsFolder('C', {"WINNT"}) ? "C:\\WINNT" : "C:\\Windows";
    }
    return system_root_;
  }
  if (text::EqualsIgnoringCase(name, "ProgramData") ||
      text::EqualsIgnoringCase(name, "ALLUSERSPROFILE")) {
    if (!xp_disk_) {
      xp_disk_ = !IsFolder('C', {"ProgramData"}) && IsFolder('C', {"Documents and Settings"});
    }
    const bool xp = profile ? profile->xp : *xp_disk_;
    return xp ? "C:\\Documents and Settings\\All Users" : "C:\\ProgramData";
  }
  if (!profile) return std::nullopt;
  const std::string& home = profile->path;
  const std::string local =
      home + (profile->xp ? "\\Local Settings\\Application Data" : "\\AppData\\Local");
  if (text::EqualsIgnoringCase(name, "USERPROFILE")) return home;
  if (text::EqualsIgnoringCase(name, "HOMEPATH")) return home.substr(2);
  if (text::EqualsIgnoringCase(name, "APPDATA"))
    return home + (profile->xp ? "\\Application Data" : "\\AppData\\Roaming");
  if (text::EqualsIgnoringCase(name, "LOCALAPPDATA")) return local;
  if (text::EqualsIgnoringCase(name, "TEMP") || text::EqualsIgnoringCase(name, "TMP"))
    return local + "\\Temp";
  return std::nullopt;
}

const std::optional<TargetCheck::Profile>& TargetCheck::ProfileOf(const std::string& location) {
  const auto cut = std::find_if(location.rbegin(), location.rend(), IsSeparator);
  const std::string folder(location.begin(),
                           cut == location.rend() ? location.begin() : cut.base() - 1);
  auto [known, added] = profiles_.try_emplace(folder);
  if (!added) return known->second;

  // The drive the folder lies on, and the names below that drive's root.
  const std::string full = files_.FullPath(folder.empty() ? "." : folder);
  char drive = 0;
  std::string below;
  for (const auto& [letter, root] : mapped_) {
    const bool within =
        full.starts_with(root) && (full.size() == root.size() || root.back() == separator_ ||
                                   full[root.size()] == separator_);
    if (within) {
      drive = letter;
      below = full.substr(root.size());
      break;
    }
  }
  if (drive == 0 && files_.LiveWindows() && full.size() >= 2 && full[1] == ':' &&
      std::isalpha(static_cast<unsigned char>(full[0]))) {
    drive = Upper(full[0]);
    below = full.substr(2);
  }
  const std::vector<std::string> names = Split(below, separator_);
  if (drive != 0 && names.size() >= 2) {
    const std::string home = std::string{drive, ':', '\\'};
    if (text::EqualsIgnoringCase(names[0], "Users")) {
      known->second = Profile{home + "Users\\" + names[1], false};
    } else if (text::EqualsIgnoringCase(names[0], "Documents and Settings")) {
      known->second = Profile{home + "Documents and Settings\\" + names[1], true};
    }
  }
  return known->second;
}

bool TargetCheck::IsFolder(char drive, const std::vector<std::string>& names) {
  const Root root = RootOf(drive);
  return root.folder && Resolve(*root.folder, names).kind == Place::Kind::kFolder;
}

TargetCheck::Place TargetCheck::Resolve(const std::string& root,
                                        const std::vector<std::string>& names,
                                        std::string* spelled) {
  if (files_.LiveWindows()) {
    // The system matches case and short names and follows links itself.
    std::string path = root;
    for (const std::string& name : names) path = Join(path, name);
    if (spelled != nullptr) *spelled = path;
    auto [known, added] = places_.try_emplace(path);
    if (!added) return known->second;
    const platform::TargetProbe probe = files_.Look(path);
    switch (probe.kind) {
      case platform::TargetProbe::Kind::kFile:
        known->second = {Place::Kind::kFile, path};
        break;
      case platform::TargetProbe::Kind::kFolder:
        known->second = {Place::Kind::kFolder, path};
        break;
      case platform::TargetProbe::Kind::kNotReady:
        known->second = {Place::Kind::kNoMedium, {}};
        break;
      case platform::TargetProbe::Kind::kNothing:
        known->second.absent = probe.absent;
        break;
      default:
        break;
    }
    return known->second;
  }
  // One name at a time; each path looked at is remembered, so targets that
  // share folders share their looks.
  Place place{Place::Kind::kFolder, root};
  if (spelled != nullptr) *spelled = root;
  for (const std::string& name : names) {
    if (place.kind != Place::Kind::kFolder) {
      if (place.kind == Place::Kind::kShortName) return place;
      // Below a file the system says "not a folder"; below nothing, "no
      // such file"; either way it said so.
      const bool said = place.kind == Place::Kind::kFile || place.absent;
      return Place{Place::Kind::kNothing, {}, {}, said};
    }
    int links_left = kMaxLinks;
    place = Step(place, name, root, links_left);
    if (spelled != nullptr) {
      const std::string_view real = place.real;
      const std::string_view listed = !place.link_name.empty()
                                          ? std::string_view(place.link_name)
                                          : real.substr(real.find_last_of(separator_) + 1);
      if (spelled->empty() || spelled->back() != separator_) *spelled += separator_;
      *spelled += listed;
    }
  }
  return place;
}

TargetCheck::Place TargetCheck::Step(const Place& folder, const std::string& name,
                                     const std::string& root, int& links_left) {
  const std::string path = Join(folder.real, name);
  auto [known, added] = places_.try_emplace(path);
  // The map's elements stay where they are while it grows, so `place` can be
  // filled after the steps below have added theirs.
  Place& place = known->second;
  if (!added) return place;
  const platform::TargetProbe probe = files_.Look(path);
  switch (probe.kind) {
    case platform::TargetProbe::Kind::kNothing: {
      const auto listed = FoldedName(folder.real, name);
      if (listed && *listed != name) {
        place = Step(folder, *listed, root, links_left);
      } else {
        place.kind = text::IsShortName(name) ? Place::Kind::kShortName : Place::Kind::kNothing;
        place.absent = probe.absent;
      }
      break;
    }
    case platform::TargetProbe::Kind::kLink:
      place = Follow(folder.real, probe.link_text, root, links_left);
      place.link_name = name;
      break;
    case platform::TargetProbe::Kind::kFolder:
      place = {Place::Kind::kFolder, path};
      break;
    case platform::TargetProbe::Kind::kFile:
      place = {Place::Kind::kFile, path};
      break;
    case platform::TargetProbe::Kind::kNotReady:
      place.kind = Place::Kind::kNoMedium;
      break;
  }
  return place;
}

TargetCheck::Place TargetCheck::Follow(const std::string& folder, const std::string& link,
                                       const std::string& root, int& links_left) {
  if (--links_left < 0) return {};  // a loop, or too long a chain
  Place place{Place::Kind::kFolder, folder};
  std::string rest = link;
  if (link.starts_with('/')) {
    // An absolute link counts only where it names a place inside the drive.
    const std::string target = Normalised(link);
    const bool within =
        target == root || root == "/" || (target.starts_with(root) && target[root.size()] == '/');
    if (!within) return {};
    place.real = root;
    rest = target.substr(std::min(root.size(), target.size()));
  }
  for (const std::string& name : Split(rest, '/')) {
    if (name == ".") continue;
    if (place.kind != Place::Kind::kFolder) return {};
    if (name == "..") {
      if (place.real == root) return {};  // it leads out of the drive
      const std::size_t slash = place.real.find_last_of('/');
      place.real = slash == 0 ? "/" : place.real.substr(0, slash);
      continue;
    }
    place = Step(place, name, root, links_left);
  }
  return place.kind == Place::Kind::kShortName ? Place{} : place;
}

std::optional<std::string> TargetCheck::FoldedName(const std::string& folder,
                                                   const std::string& name) {
  auto [listing, added] = listings_.try_emplace(folder);
  if (added) {
    for (std::string& listed : files_.Names(folder)) {
      listing->second.emplace_back(text::UpperCaseName(listed), std::move(listed));
    }
    std::sort(listing->second.begin(), listing->second.end());
  }
  const std::u16string key = text::UpperCaseName(name);
  const auto match = std::lower_bound(listing->second.begin(), listing->second.end(),
                                      std::make_pair(key, std::string()));
  if (match == listing->second.end() || match->first != key) return std::nullopt;
  return match->second;
}

std::string TargetCheck::Join(const std::string& folder, const std::string& name) const {
  if (!folder.empty() && folder.back() == separator_) return folder + name;
  return folder + separator_ + name;
}

}  // namespace varnlink::checks
