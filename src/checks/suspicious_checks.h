#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lnk/shortcut_info.h"

namespace varnlink::checks {

// One check that fired on a shortcut: its id, as the records name it, and a
// short reason naming what it saw (unmasked, like every decoded value).
struct Suspicion {
  std::string_view check;
  std::string reason;
};

// The checks for shortcuts that deceive, by id, in the order they run:
//
//   env_block_spoof      the environment block hides or contradicts the target
//   target_mismatch      the ID list, link info and environment block name
//                        different files
//   hidden_arguments     arguments pushed out of sight by line breaks, blanks
//                        or length
//   overlong_string      a string longer than Windows reads, so readers
//                        disagree on where the next one starts
//   noncanonical_target  a path Windows reads other than it shows
//   risky_host           a script host run with suspicious arguments, or a
//                        Control Panel applet outside the system folders
//   masquerade           code dressed as a document
//   remote_location      a target or icon fetched from another machine
//
// They decide from the values the decoder returns alone: no file is looked
// at, and each is linear in the size of what it reads. Links that are not
// read by their structure are never flagged.
//
// `file_name` is the shortcut file's own name (the last component of its path).
[[nodiscard]] std::vector<Suspicion> FindSuspicions(const lnk::ShortcutInfo& info,
                                                    std::string_view file_name);

}  // namespace varnlink::checks
