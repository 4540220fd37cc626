#include "report/shortcut_dates.h"

#include <array>
#include <cctype>
#include <optional>

namespace varnlink::report {
namespace {

using Time = std::optional<platform::FileTime>;

// What a dated thing is called, beside the shortcut's path.
struct Naming {
  std::string name;
  std::string note;
  std::uint64_t size = 0;
};

Naming ShortcutItself(const ReportEntry& e) { return {e.facts.path, {}, e.facts.size}; }

Naming TargetAsRecorded(const ReportEntry& e) {
  const std::uint64_t size = e.info.header ? e.info.header->target_size : 0;
  return {e.facts.path + " -> " + e.info.target, {}, size};
}

const lnk::TrackerData* TrackerOf(const ReportEntry& e) {
  return e.info.extra_blocks && e.info.extra_blocks->tracker ? &*e.info.extra_blocks->tracker
                                                             : nullptr;
}

// The droid time dates the object id it is part of.
Naming Droid(const ReportEntry& e) {
  const lnk::TrackerData* tracker = TrackerOf(e);
  if (!tracker) return {};
  std::string note = "droid " + tracker->droid_file;
  if (!tracker->machine_id.empty()) note += " on " + tracker->machine_id;
  return {e.facts.path + " -> " + tracker->droid_file, std::move(note), 0};
}

// A jump list's entry dates the use of the shortcut it keeps.
Naming JumpListEntry(const ReportEntry& e) {
  if (!e.jump_list) return {};
  const JumpListFacts& jump = *e.jump_list;
  std::string note = "jump list entry of " + jump.app_name.value_or(jump.app_id);
  if (jump.access_count) {
    note += ", opened " + std::to_string(*jump.access_count) +
            (*jump.access_count == 1 ? " time" : " times");
  }
  if (jump.pinned.value_or(false)) note += ", pinned";
  if (jump.hostname && !jump.hostname->empty()) note += ", on " + *jump.hostname;
  return {e.facts.path + " -> last used", std::move(note), 0};
}

Time FileTimeOf(const ReportEntry& e, platform::FileTime platform::FileTimes::*which) {
  if (!e.facts.times) return {};
  return (*e.facts.times).*which;
}

// One time of a shortcut: what it is, where a body file puts it, how to take
// it, and the thing it dates. Rows of one thing stand together and make one
// line of a body file.
struct TimeRow {
  std::string_view description;
  TimeKind kind;
  Time (*time)(const ReportEntry&);
  Naming (*thing)(const ReportEntry&);
};

const std::array kTimeRows = {
    TimeRow{"Shortcut Created", TimeKind::kCreated,
            [](const ReportEntry& e) { return FileTimeOf(e, &platform::FileTimes::created); },
            ShortcutItself},
    TimeRow{"Shortcut Modified", TimeKind::kModified,
            [](const ReportEntry& e) { return FileTimeOf(e, &platform::FileTimes::modified); },
            ShortcutItself},
    TimeRow{"Shortcut Accessed", TimeKind::kAccessed,
            [](const ReportEntry& e) { return FileTimeOf(e, &platform::FileTimes::accessed); },
            ShortcutItself},
    TimeRow{"Target Created (as recorded)", TimeKind::kCreated,
            [](const ReportEntry& e) { return e.info.target_created; }, TargetAsRecorded},
    TimeRow{"Target Modified (as recorded)", TimeKind::kModified,
            [](const ReportEntry& e) { return e.info.target_modified; }, TargetAsRecorded},
    TimeRow{"Target Accessed (as recorded)", TimeKind::kAccessed,
            [](const ReportEntry& e) { return e.info.target_accessed; }, TargetAsRecorded},
    TimeRow{"Droid Time", TimeKind::kModified,
            [](const ReportEntry& e) -> Time {
              const lnk::TrackerData* tracker = TrackerOf(e);
              return tracker ? tracker->droid_time : Time{};
            },
            Droid},
    TimeRow{"Jump List Last Used", TimeKind::kModified,
            [](const ReportEntry& e) -> Time {
              return e.jump_list ? e.jump_list->last_used : Time{};
            },
            JumpListEntry},
};

// The times a shell item holds (FAT times of the machine that wrote the link).
struct ItemTimeRow {
  std::string_view description;
  TimeKind kind;
  std::optional<platform::FileTime> lnk::ShellItem::*time;
};

constexpr std::array kItemTimeRows = {
    ItemTimeRow{"Shell Item Created", TimeKind::kCreated, &lnk::ShellItem::created},
    ItemTimeRow{"Shell Item Modified", TimeKind::kModified, &lnk::ShellItem::modified},
    ItemTimeRow{"Shell Item Accessed", TimeKind::kAccessed, &lnk::ShellItem::accessed},
};

// Zero is how the formats say "no time"; past the year 9999 no date can be written.
bool Known(const Time& time) {
  return time && time->ticks != 0 && time->ticks < platform::kTicksTo10000;
}

// Whether a shell item's name is a whole path of its own: a drive ("C:\") or
// a share ("\\server\share"), where a path starts afresh.
bool StartsAPath(std::string_view name) {
  return name.starts_with("\\\\") ||
         (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])));
}

// The path the shell items name up to `item`: each one's long name where it
// has one, else its name, joined by "\" (a volume's "C:\" ends in one already).
void AppendItemName(std::string& path, const lnk::ShellItem& item) {
  const std::optional<std::string>& name = item.long_name ? item.long_name : item.name;
  if (!name || name->empty()) return;
  if (StartsAPath(*name)) path.clear();
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += *name;
}

}  // namespace

const std::vector<DatedThing>& ShortcutDates::Of(const ReportEntry& entry) {
  things_.clear();
  Naming (*current)(const ReportEntry&) = nullptr;
  for (const TimeRow& row : kTimeRows) {
    const Time time = row.time(entry);
    if (!Known(time)) continue;
    if (row.thing != current) {
      current = row.thing;
      Naming naming = row.thing(entry);
      things_.push_back({std::move(naming.name), std::move(naming.note), naming.size, {}});
    }
    things_.back().times.push_back({row.description, row.kind, *time});
  }
  if (!entry.info.id_list) return things_;
  std::string path;
  for (const lnk::ShellItem& item : entry.info.id_list->items) {
    AppendItemName(path, item);
    DatedThing thing;
    for (const ItemTimeRow& row : kItemTimeRows) {
      const Time& time = item.*row.time;
      if (Known(time)) thing.times.push_back({row.description, row.kind, *time});
    }
    if (thing.times.empty()) continue;
    thing.name = entry.facts.path + " -> " + path;
    thing.note = "shell item " + path;
    things_.push_back(std::move(thing));
  }
  return things_;
}

}  // namespace varnlink::report
