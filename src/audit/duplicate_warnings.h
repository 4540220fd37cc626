#pragma once

#include <string>
#include <vector>

#include "audit/audit_options.h"
#include "checks/duplicate_index.h"
#include "report/report_entry.h"

namespace varnlink::audit {

// The duplicate checks of one run. A shortcut whose target (or target with
// arguments, when it has arguments) begins the TARGET line of an entry
// reported earlier in the run is marked with the earliest such entry's path,
// and the hit is told in a message for the user ("Duplicate Target in
// Shortcut b at C:\b.lnk"). A shortcut with an empty target takes part in
// neither check.
class DuplicateWarnings {
 public:
  // Runs the checks the options ask for on `entry`, before it is reported,
  // and marks it; returns the message of each hit (none, one or two).
  [[nodiscard]] std::vector<std::string> Check(report::ReportEntry& entry,
                                               const AuditOptions& options);
  // Remembers a reported entry for the checks of later ones.
  void Add(const report::ReportEntry& entry);

 private:
  checks::DuplicateIndex index_;
  std::string line_;  // a TARGET line's text, made once per check and per entry added
};

}  // namespace varnlink::audit
