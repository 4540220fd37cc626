#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

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
