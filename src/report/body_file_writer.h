#pragma once

#include <string>

#include "report/record_fields.h"
#include "report/shortcut_dates.h"

namespace varnlink::report {

// Writes what shortcuts date as The Sleuth Kit's body file, version 3, for
// mactime and the timeline tools that read it: a line per dated thing
// (ShortcutDates), "MD5|name|inode|mode|UID|GID|size|atime|mtime|ctime|crtime"
// with MD5 "0", inode, mode, UID and GID 0, times as Unix seconds (0 where
// unknown), LF line ends. A time before 1970 has no place in the format and
// is written 0 as well.
//
// Readers split a line at every "|" and decode "%XX" in every field, so "%",
// "|" and each control character (CR, tab, ...) of a name is written as its
// "%XX"; an LF as "␊" (U+240A), which mactime keeps, where it drops a line
// whose name holds an LF. Text that is not valid UTF-8 has U+FFFD in place of
// each invalid byte. A shortcut that could not be audited dates nothing and writes no
// line. It keeps nothing of one shortcut once it is written.
class BodyFileWriter {
 public:
  // Nothing stands before the first line.
  void AppendStart(std::string&) const {}

  // Appends the lines of one shortcut.
  void AppendRecord(std::string& out, const Record& record);

 private:
  ShortcutDates dates_;
};

}  // namespace varnlink::report
