#pragma once

namespace varnlink::audit {

// Which shortcuts an audit reports, by whether the target (without its
// arguments, any case) contains ".EXE".
enum class TargetFilter { kAll, kExe, kNonExe };

// The user's choices for one audit.
struct AuditOptions {
  TargetFilter target_filter = TargetFilter::kAll;
  bool search_subfolders = true;          // walk the sub-folders too (no selection)
  bool warn_duplicate_targets = false;    // a target that begins an earlier TARGET line
  bool warn_duplicate_arguments = false;  // the target with its arguments likewise
  bool check_targets = false;             // look for each reported shortcut's target
  bool warn_suspicious = false;           // run the suspicious-shortcut checks
};

}  // namespace varnlink::audit
