#pragma once

#include <string>

#include "report/record_fields.h"

namespace varnlink::report {

// Writes records for people to read: one shortcut after another, a field per
// line ("  Label: value") under a heading for each part of the link (the
// file, the header, the link info, the strings, the target, the ID list with
// a block per shell item, the extra-data blocks, the property store, the
// checks), a blank line between shortcuts, LF line ends. It takes the values
// of the records' fields (RecordFields()), so it says what the records say;
// a field without a value is left out, and so is a part without any.
//
// Every text is masked as the report masks it (text::ShownText), so a
// shortcut's own text can never start a line of its own. It keeps nothing of
// one shortcut once it is written.
class DetailsWriter {
 public:
  // Nothing stands before the first shortcut.
  void AppendStart(std::string&) const {}

  // Appends one shortcut's lines, after a blank line unless it is the first.
  void AppendRecord(std::string& out, const Record& record);

 private:
  bool first_ = true;
};

}  // namespace varnlink::report
