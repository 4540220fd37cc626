#pragma once

#include <string>

#include "audit/audit_options.h"
#include "checks/duplicate_index.h"
#include "platform/message_dialog.h"
#include "report/report_entry.h"

namespace varnlink::audit {

// The duplicate checks of one run. A shortcut whose target (or target with
// arguments, when it has arguments) begins the TARGET line of an entry
// reported earlier in the run is marked with the earliest such entry's path
// and, where there is a message box to announce it in, announced at once. A
// shortcut with an empty target takes part in neither check.
class DuplicateWarnings {
 public:
  // Runs the checks the options ask for on `entry`, before it is reported.
  // `messages` may be null: the hits are then only marked.
  void Check(report::ReportEntry& entry, const AuditOptions& options,
             platform::MessageDialog* messages);
  // Remembers a reported entry for the checks of later ones.
  void Add(const report::ReportEntry& entry);

 private:
  checks::DuplicateIndex index_;
  std::string line_;  // a TARGET line's text, made once per check and per entry added
};

}  // namespace varnlink::audit
