#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"
#include "report/report_entry.h"

namespace varnlink::report {

// Which of a file system's four times a time is, as a body file's columns
// hold them (atime, mtime, ctime, crtime). A single time that belongs to no
// file (the tracker's droid time) stands in the modified column.
enum class TimeKind { kAccessed, kModified, kChanged, kCreated };

// One time a shortcut records.
struct DatedTime {
  std::string_view description;  // what the time is: "Target Modified (as recorded)"
  TimeKind kind;
  platform::FileTime time;
};

// One thing a shortcut dates, with the times it records for it, in the order
// ShortcutDates lists them; at most one time of each kind.
struct DatedThing {
  // "<shortcut path>", "<shortcut path> -> <target>", "<shortcut path> ->
  // <item's path>": the shortcut's own text, unmasked.
  std::string name;
  // What the thing is beyond the shortcut and its target, for a reader of a
  // timeline row ("shell item C:\Users\ann"); empty for those two.
  std::string note;
  std::uint64_t size = 0;  // the shortcut's size; the target's as recorded; else 0
  std::vector<DatedTime> times;
};

// The things a shortcut dates and their times: the shortcut file itself, the
// target as the header records it, the tracker's droid time, a jump list
// entry's last use, then each shell item of the ID list that holds times. The timeline writers take them from
// here, so a body file and a timeline date the same things. A time that is
// not known (zero, unreadable, or past the year 9999) is left out, and so is
// a thing without any.
class ShortcutDates {
 public:
  // The dated things of `entry`, in the order above; valid until the next call.
  const std::vector<DatedThing>& Of(const ReportEntry& entry);

 private:
  std::vector<DatedThing> things_;
};

}  // namespace varnlink::report
