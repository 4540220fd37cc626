#pragma once

#include <optional>
#include <string>
#include <vector>

#include "auditor/file_facts.h"
#include "auditor/shortcut_info.h"
#include "auditor/suspicious_checks.h"
#include "auditor/target_status.h"

namespace varnlink::auditor {

// Everything the audit learned of one reported shortcut: the file's facts,
// its decoded content and the warnings about it. The report's formatter and
// the machine-readable writers take it as it is.
struct ReportEntry {
  FileFacts facts;
  ShortcutInfo info;
  // The path of the earlier shortcut whose TARGET line this one's target
  // (or target with arguments) begins, when that check was asked for and hit.
  std::optional<std::string> duplicate_target_of;
  std::optional<std::string> duplicate_arguments_of;
  // What the missing-target check found; nullopt when it was not asked for.
  std::optional<TargetStatus> target_status;
  // The suspicious-shortcut checks that fired, in the order they run; empty
  // when none did, nullopt when the checks were not asked for.
  std::optional<std::vector<Suspicion>> suspicions;
};

}  // namespace varnlink::auditor
