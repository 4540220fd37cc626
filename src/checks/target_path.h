#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/target_status.h"

namespace varnlink::checks {

// A target's text as Windows reads a path, before any drive is mapped.
struct WindowsPath {
  enum class Kind {
    kDrive,     // "C:\..." (or "\\?\C:\..."): `drive` and `names`
    kNetwork,   // "\\server\share\..." (or "\\?\UNC\...")
    kDevice,    // another device path, such as "\\.\PhysicalDrive0"
    kRelative,  // no drive and root: "app.exe", "..\x", "\x", "C:x"
  };
  Kind kind = Kind::kRelative;
  char drive = 0;  // upper case
  // The names below the drive's root as Windows resolves them: "." gone,
  // ".." taking away the name before it (never above the root), and
  // trailing dots and blanks trimmed; "\\?\" paths are taken as written.
  std::vector<std::string> names;
};

[[nodiscard]] WindowsPath ParseWindowsPath(std::string_view text);

// Why a target names no file-system path at all, by its text: "::{...}"
// (shell namespace), "shell:AppsFolder\..." (packaged app), other "shell:"
// folders (shell namespace) and URIs ("https:", "mailto:"; a scheme of at
// least two letters, so "C:" stays a drive). nullopt for a path.
[[nodiscard]] std::optional<NotCheckedReason> NonPathTarget(std::string_view text);

// `text` with each "%NAME%" replaced by lookup(NAME); nullopt when a name
// has no value. A lone "%" and "%%" stay as written.
using VariableLookup = std::function<std::optional<std::string>(const std::string& name)>;
[[nodiscard]] std::optional<std::string> ExpandVariables(std::string_view text,
                                                         const VariableLookup& lookup);

}  // namespace varnlink::checks
