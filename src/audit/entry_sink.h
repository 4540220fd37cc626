#pragma once

#include <cstddef>
#include <string>

#include <optional>

#include "report/record_writer.h"
#include "report/report_entry.h"

namespace varnlink::audit {

// Where an audit run hands each entry the moment it is made, and what it has
// to tell the user: the window's report (which shows a message box for each
// message), or a writer of the command line's output (a line on stderr).
class EntrySink {
 public:
  virtual ~EntrySink() = default;
  // Before the first entry, when the run knows it: how many shortcuts it
  // will audit. A walk without a limit audits each shortcut as it finds it
  // and does not call this.
  virtual void Expect(std::size_t /*count*/) {}
  virtual void Add(const report::ReportEntry& entry) = 0;
  // What a records sink can write of an entry before the run reaches it (all
  // but the fields the run sets in its order), made on a reading thread,
  // several at once: it may only read what the sink does not change. nullopt
  // (the default) for a sink that has nothing to make ahead.
  [[nodiscard]] virtual std::optional<report::RecordParts> WriteAhead(
      const report::ReportEntry& /*entry*/) const {
    return std::nullopt;
  }
  // Add for an entry whose parts WriteAhead made.
  virtual void AddWritten(const report::ReportEntry& entry, const report::RecordParts& /*parts*/) {
    Add(entry);
  }
  // In a run that keeps going (AuditRequest::keep_going), in place of the
  // entry of a shortcut that could not be audited. Other runs never call it.
  virtual void Fail(const report::FailedShortcut& /*shortcut*/) {}
  // A message for the user the moment the run has it: a duplicate warning
  // (which holds the run, in a window, until it is answered), or, when a
  // failure ends the run, what the run passed over before it.
  virtual void Tell(const std::string& /*message*/) {}
};

}  // namespace varnlink::audit
