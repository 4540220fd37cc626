#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnlink::checks {

// The outcome of the missing-target check for one shortcut.
enum class TargetOutcome { kFound, kMissing, kNotChecked };

// Why a target was not looked for.
enum class NotCheckedReason {
  kShellNamespace,   // "::{...}" and other shell folders with no file behind them
  kPackagedApp,      // "shell:AppsFolder\..." or an app user model id
  kAddress,          // a URI
  kNetworkPath,      // "\\server\share\..." or a network drive: looking could hang
  kUnmappedDrive,    // a drive letter that maps to no folder (or no drive)
  kNoMedium,         // a drive without a disc or card
  kUnknownVariable,  // a "%NAME%" the check cannot expand
  kRelativePath,     // no drive: relative to a folder the shortcut does not fix
  kShortName,        // an 8.3 name ("PROGRA~1") not found as written
  kEmpty,            // no target
};

struct TargetStatus {
  TargetOutcome outcome = TargetOutcome::kNotChecked;
  std::optional<NotCheckedReason> reason;   // set exactly when not checked
  // The local path looked at, unmasked; of a found target, as the file
  // system spells it, each link by its own name.
  std::optional<std::string> checked_path;
  // Of a missing target: the file system itself said there is no such file
  // or folder. False where the name is one no file can have, a link leads
  // out of the drive or loops, or the look failed for another reason (a
  // folder that may not be searched, an unreachable share).
  bool absent = false;
  friend bool operator==(const TargetStatus&, const TargetStatus&) = default;
};

// "found", "missing", "not_checked".
[[nodiscard]] std::string_view OutcomeName(TargetOutcome outcome);

// "shell_namespace", "packaged_app", ... as records name them.
[[nodiscard]] std::string_view ReasonName(NotCheckedReason reason);

}  // namespace varnlink::checks
