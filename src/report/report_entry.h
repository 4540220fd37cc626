#pragma once

#include <optional>
#include <string>
#include <vector>

#include "checks/suspicious_checks.h"
#include "checks/target_status.h"
#include "lnk/shortcut_info.h"
#include "platform/file_facts.h"
#include "platform/sha256.h"

namespace varnlink::report {

// Everything the audit learned of one reported shortcut: the file's facts,
// its decoded content and the warnings about it. The report's formatter and
// the machine-readable writers take it as it is.
struct ReportEntry {
  platform::FileFacts facts;
  lnk::ShortcutInfo info;
  // The path of the earlier shortcut whose TARGET line this one's target
  // (or target with arguments) begins, when that check was asked for and hit.
  std::optional<std::string> duplicate_target_of;
  std::optional<std::string> duplicate_arguments_of;
  // What the missing-target check found; nullopt when it was not asked for.
  std::optional<checks::TargetStatus> target_status;
  // The suspicious-shortcut checks that fired, in the order they run; empty
  // when none did, nullopt when the checks were not asked for.
  std::optional<std::vector<checks::Suspicion>> suspicions;
  // The SHA-256 of the shortcut's bytes; nullopt when it was not asked for
  // (records ask for it; the text report does not show it).
  std::optional<platform::Sha256Digest> sha256;
};

// A shortcut that could not be audited, in a run that keeps going, or a
// folder that could not be searched: a record of its own.
struct FailedShortcut {
  std::string path;
  std::string name;   // as an entry would name it (platform::ShortcutNameOf)
  std::string cause;  // the failure's message without the path: "not a shortcut: ..."
};

}  // namespace varnlink::report
