#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "checks/suspicious_checks.h"
#include "checks/target_status.h"
#include "lnk/shortcut_info.h"
#include "platform/file_facts.h"
#include "platform/sha256.h"

namespace varnlink::report {

// Where a shortcut kept in a jump list sits, and what the jump list says of it.
struct JumpListFacts {
  std::string container;  // the jump list's path
  // The compound file stream's name as stored ("1f"); in a custom list the
  // shortcut's 0-based place as decimal text.
  std::string stream;
  std::string app_id;                   // the file name's first part
  std::optional<std::string> app_name;  // the program, where the AppID is a well-known one
  // What the DestList says of it (automatic lists; nullopt without an entry).
  std::optional<std::uint32_t> entry_number;
  std::optional<std::size_t> mru_position;  // 0 = most recent
  std::optional<platform::FileTime> last_used;
  std::optional<std::uint32_t> access_count;  // nullopt in version 1's lists
  std::optional<bool> pinned;
  std::optional<std::string> hostname;
  std::optional<std::string> category;  // custom lists: its category's name
};

// Everything the audit learned of one reported shortcut: the file's facts,
// its decoded content and the warnings about it. The report's formatter and
// the machine-readable writers take it as it is.
struct ReportEntry {
  platform::FileFacts facts;
  lnk::ShortcutInfo info;
  // The path of the earlier shortcut whose TARGET line this one's target
  // (or target with arguments) begins, when that check was asked for and hit.
  std::optional<std::string> duplicate_target_of;
  std::optional<std::string> duplicate_arguments_of;
  // What the missing-target check found; nullopt when it was not asked for.
  std::optional<checks::TargetStatus> target_status;
  // The suspicious-shortcut checks that fired, in the order they run; empty
  // when none did, nullopt when the checks were not asked for.
  std::optional<std::vector<checks::Suspicion>> suspicions;
  // The SHA-256 of the shortcut's bytes; nullopt when it was not asked for
  // (records ask for it; the text report does not show it).
  std::optional<platform::Sha256Digest> sha256;
  // Shortcuts kept in a jump list; nullopt for a .lnk file of its own.
  std::optional<JumpListFacts> jump_list;
  // Where the quarantine moved the shortcut file; nullopt when it is in place.
  std::optional<std::string> quarantined_to{};
};

// A shortcut that could not be audited, in a run that keeps going, or a
// folder that could not be searched: a record of its own.
struct FailedShortcut {
  std::string path;
  std::string name;   // as an entry would name it (platform::ShortcutNameOf)
  std::string cause;  // the failure's message without the path: "not a shortcut: ..."
  // A shortcut of a jump list (or the jump list itself) that could not be read.
  std::optional<JumpListFacts> jump_list{};
};

}  // namespace varnlink::report
