#pragma once

#include <string>

#include "report/record_fields.h"
#include "report/shortcut_dates.h"

namespace varnlink::report {

// Writes what shortcuts date as a timeline: CSV (RFC 4180, UTF-8, CR LF, a
// header row) with a row per time (ShortcutDates), in the columns timeline
// viewers import without mapping: `datetime` (RFC 3339 UTC, whole seconds,
// so that the text sorts as the time), `timestamp_desc` (what the time is),
// `message` (the shortcut, its target and arguments, and the dated thing
// where it is neither), then the record's `path`, `target`, `arguments`,
// `machine_id`, `sha256` and `suspicious` (the check ids joined by ";"),
// the same values as in the records. Rows follow the shortcuts in the order
// they are audited; a shortcut that could not be audited, or whose times are
// all unknown, has none. It keeps nothing of one shortcut once it is written.
class TimelineWriter {
 public:
  TimelineWriter();

  // Appends the header row.
  void AppendStart(std::string& out) const;

  // Appends the rows of one shortcut.
  void AppendRecord(std::string& out, const Record& record);

 private:
  ShortcutDates dates_;
  std::vector<const RecordField*> fields_;  // the record's columns after `message`
  std::string shortcut_columns_;            // their values for the shortcut being written
};

}  // namespace varnlink::report
