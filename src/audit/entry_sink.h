#pragma once

#include <cstddef>
#include <string>

#include "auditor/report_entry.h"

namespace varnlink::audit {

// A shortcut that could not be audited, in a run that keeps going.
struct FailedShortcut {
  std::string path;
  std::string name;   // as an entry would name it (auditor::ShortcutNameOf)
  std::string cause;  // the failure's message without the path: "not a shortcut: ..."
};

// Where an audit run hands each entry the moment it is made: the window's
// report, or a writer of the command line's output.
class EntrySink {
 public:
  virtual ~EntrySink() = default;
  // Before the first entry, when the run knows it: how many shortcuts it
  // will audit. A walk without a limit audits each shortcut as it finds it
  // and does not call this.
  virtual void Expect(std::size_t /*count*/) {}
  virtual void Add(const auditor::ReportEntry& entry) = 0;
  // In a run that keeps going (AuditRequest::keep_going), in place of the
  // entry of a shortcut that could not be audited. Other runs never call it.
  virtual void Fail(const FailedShortcut& /*shortcut*/) {}
};

}  // namespace varnlink::audit
