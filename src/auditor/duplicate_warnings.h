#pragma once

#include "auditor/audit_options.h"
#include "auditor/duplicate_index.h"
#include "auditor/report_entry.h"
#include "platform/message_dialog.h"

namespace varnlink::auditor {

// The duplicate checks of one run. A shortcut whose target (or target with
// arguments, when it has arguments) begins the TARGET line of an entry
// reported earlier in the run is announced in a message box at once and
// marked with the earliest such entry's path. A shortcut with an empty target
// takes part in neither check.
class DuplicateWarnings {
 public:
  // Runs the checks the options ask for on `entry`, before it is reported.
  void Check(ReportEntry& entry, const AuditOptions& options,
             platform::MessageDialog& messages) const;
  // Remembers a reported entry for the checks of later ones.
  void Add(const ReportEntry& entry);

 private:
  DuplicateIndex index_;
};

}  // namespace varnlink::auditor
