#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_time.h"

namespace varnlink::auditor {

// Where a shortcut's target was found.
enum class TargetSource {
  kNone,         // nowhere: the target is empty
  kLinkInfo,     // the link info's local path or network share
  kEnvironment,  // the environment-variables block
  kIdList,       // the shell items of the ID list
  kAppId,        // the property store's app user model id (a packaged app)
  kByteRules,    // not a genuine link: found by the byte rules
};

// The show command of the link header, where it is one the report names.
enum class RunMode { kNormal = 1, kMaximised = 3, kMinimised = 7 };

struct HotKey {
  std::uint8_t modifiers = 0;  // 1 Shift, 2 Ctrl, 4 Alt
  // The key's name; nullopt when the file ends before the key (byte rules).
  std::optional<std::string> key;
};

// A file or folder of the ID list, by the names its shell item holds.
struct IdListEntry {
  std::string primary_name;  // the item's own name, often the 8.3 short name
  // The long name of its 0xBEEF0004 extension; nullopt where the item has no
  // such extension, one of a version whose layout is not known, or an empty
  // name there.
  std::optional<std::string> long_name;
};

// What the shell items of a link's ID list say, kept whichever record gives
// the target, so that the ID list can be set against the other records.
struct IdListInfo {
  // False when an item does not hold together (it runs past the list, has a
  // size below 2, a name without its terminator, an extension offset outside
  // the item, ...); nothing below is then set.
  bool holds_together = true;
  std::size_t item_count = 0;  // shell items before the terminating empty one
  // The parsing name of the whole list (C:\dir\file, ::{CLSID}, a URI,
  // shell:AppsFolder\<app id>, ...); nullopt when the list has no shape
  // that names a target.
  std::optional<std::string> target;
  std::vector<IdListEntry> file_entries;  // in list order
  // The list holds a Control Panel applet: a CPL-file item or a control-panel item.
  bool control_panel_applet = false;
  std::optional<std::string> cpl_path;  // the CPL-file item's path
};

// What decoding one shortcut file yields, as values: texts are UTF-8 as the
// file holds them (converted from UTF-16 or the ANSI code page), nothing is
// masked or labelled yet; a field the file does not have is nullopt.
struct ShortcutInfo {
  bool genuine = false;          // read by its structure, not by the byte rules
  std::uint32_t link_flags = 0;  // the header's flags (byte rules: byte 20 alone)

  std::string target;  // without arguments; empty when the source is kNone
  TargetSource target_source = TargetSource::kNone;

  std::optional<std::string> description;
  std::optional<std::string> relative_path;
  std::optional<std::string> start_in;
  std::optional<std::string> arguments;
  std::optional<std::string> icon_location;
  std::optional<HotKey> hot_key;  // nullopt: no hot key
  std::optional<RunMode> run;     // nullopt: a show command the report does not name

  // The ID list's shell items (genuine links with an ID list).
  std::optional<IdListInfo> id_list;
  // The app user model id of the property-store block (a packaged app's
  // "Publisher.App_hash!App"); nullopt when there is none or the property
  // store does not hold together.
  std::optional<std::string> app_id;

  // The target's times as the link header records them (genuine links; nullopt
  // where the header holds zero).
  std::optional<platform::FileTime> target_created;
  std::optional<platform::FileTime> target_accessed;
  std::optional<platform::FileTime> target_modified;

  // Set when a counted string before the working folder has a length that lies
  // past the end of the file (its position): such a shortcut cannot be
  // reported.
  std::optional<std::size_t> strings_end_early_at;
};

}  // namespace varnlink::auditor
