#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "checks/target_status.h"
#include "lnk/shortcut_info.h"
#include "platform/target_files.h"

namespace varnlink::checks {

// Where the check looks for Windows paths, beyond what it works out itself.
struct TargetCheckSettings {
  // Drive letters (upper case) to local folders ("--map C:=DIR"); a later
  // entry for the same letter wins. Without any, C: is the Windows volume
  // holding the audited folder, on Linux.
  std::vector<std::pair<char, std::string>> drives;
  // Environment variables ("--env NAME=VALUE"), before all others; names
  // compare without regard to case, a later entry wins.
  std::vector<std::pair<std::string, std::string>> variables;
};

// The missing-target check of one run: for each reported shortcut, whether
// its target (never its arguments) exists, is missing, or is not looked for
// and why. It reads nothing but the file system's names and never changes
// anything.
//
// On Linux, drive letters map to folders (a mounted Windows disk or image);
// environment variables come from the settings, then from a table of
// Windows' defaults, with the user-profile ones taken from the profile folder
// the shortcut lies in. Names match exactly first and then without regard to
// case, one name at a time; a symbolic link is followed only while it stays
// inside the drive's folder. On Windows the running system answers: its
// drives, its environment (the profile variables from the shortcut's place
// when that is another user's profile) and its file system.
//
// Each distinct local path is looked at once per run, and each folder listed
// at most once.
class TargetCheck {
 public:
  TargetCheck(const platform::TargetFiles& files, const TargetCheckSettings& settings,
              const std::string& audited_folder);

  // The shortcuts checked next lie in or below `audited_path` (a folder or
  // a shortcut file). Without drives in the settings, on Linux, C: follows
  // it: the Windows volume holding it.
  void AuditFrom(const std::string& audited_path);

  // `location` is the shortcut file's own path.
  [[nodiscard]] TargetStatus Check(const lnk::ShortcutInfo& info,
                                            const std::string& location);

  // "Targets not found: N; not checked: K", counting every Check so far.
  [[nodiscard]] std::string Summary() const;

 private:
  struct Place {
    enum class Kind { kNothing, kFile, kFolder, kShortName, kNoMedium };
    Kind kind = Kind::kNothing;
    std::string real;  // where it was found, links followed
    // Reached through a symbolic link: the link's own name as its folder
    // lists it (else that name ends `real`).
    std::string link_name = {};
    // Of kNothing: the file system said no such file or folder.
    bool absent = false;
  };
  struct Profile {
    std::string path;  // "C:\Users\name"
    bool xp = false;   // under "Documents and Settings"
  };
  struct Root {
    std::optional<std::string> folder;  // the local folder of the drive's root
    NotCheckedReason reason = NotCheckedReason::kUnmappedDrive;
  };

  [[nodiscard]] TargetStatus Classify(const lnk::ShortcutInfo& info,
                                               const std::string& location);
  [[nodiscard]] Root RootOf(char drive);
  [[nodiscard]] std::optional<std::string> VariableFor(const std::string& name,
                                                       const std::optional<Profile>& profile);
  [[nodiscard]] std::optional<std::string> DefaultOf(const std::string& name,
                                                     const std::optional<Profile>& profile);
  [[nodiscard]] const std::optional<Profile>& ProfileOf(const std::string& location);
  [[nodiscard]] bool IsFolder(char drive, const std::vector<std::string>& names);

  // Where `names` lead from `root`. When it is a file or folder and
  // `spelled` is given, that gets its path with each name as its folder
  // spells it and each link by its own name (on Windows, as given).
  [[nodiscard]] Place Resolve(const std::string& root, const std::vector<std::string>& names,
                              std::string* spelled = nullptr);
  [[nodiscard]] Place Step(const Place& folder, const std::string& name, const std::string& root,
                           int& links_left);
  [[nodiscard]] Place Follow(const std::string& folder, const std::string& link,
                             const std::string& root, int& links_left);
  [[nodiscard]] std::optional<std::string> FoldedName(const std::string& folder,
                                                      const std::string& name);
  [[nodiscard]] std::string Join(const std::string& folder, const std::string& name) const;

  const platform::TargetFiles& files_;
  char separator_;
  bool automatic_c_;                    // C: is the Windows volume holding what is audited
  std::map<char, std::string> mapped_;  // drive letter -> folder
  std::vector<std::pair<std::string, std::string>> variables_;
  std::map<char, platform::DriveKind> live_drives_;
  std::unordered_map<std::string, Place> places_;  // by the local path looked at
  // Each folder's names by their upper-cased form, sorted.
  std::unordered_map<std::string, std::vector<std::pair<std::u16string, std::string>>> listings_;
  std::unordered_map<std::string, std::optional<Profile>> profiles_;  // by the shortcut's folder
  std::optional<std::string> system_root_;
  std::optional<bool> xp_disk_;
  std::size_t not_found_ = 0;
  std::size_t not_checked_ = 0;
};

}  // namespace varnlink::checks
