#pragma once

#include <optional>
#include <string>

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
  // The code page of the shortcuts' ANSI text; nullopt: each link's own, as
  // lnk::ChooseCodePage infers it.
  std::optional<unsigned> code_page;
  bool jump_lists = false;  // a walk reads the jump lists it finds too
};

// Reads --codepage's value, "auto" or one of Windows' ANSI code pages, into
// `options`; an error text naming the value when it is neither.
[[nodiscard]] std::string ReadCodePageOption(const std::string& value, AuditOptions& options);

// Why the code page given cannot be used on this system (its converter is
// missing) and what is read instead; nullopt when it can, or none is given.
[[nodiscard]] std::optional<std::string> CodePageWarning(const AuditOptions& options);

}  // namespace varnlink::audit
