#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/file_time.h"

namespace varnlink::lnk {

// One entry of a DestList: what the shell recorded about one shortcut of an
// automatic jump list besides the shortcut itself.
struct DestListEntry {
  // The distributed link tracking identifiers, as GUID text
  // ("{00000000-0000-0000-0000-000000000000}" where none was recorded).
  std::string droid_volume;
  std::string droid_file;
  std::string birth_droid_volume;
  std::string birth_droid_file;
  std::string hostname;  // the machine's NetBIOS name; "" when none was recorded
  std::uint32_t entry_number = 0;  // names the entry's stream in hexadecimal
  platform::FileTime last_used;
  std::int32_t pin_status = -1;  // -1 not pinned; else its place among the pinned
  // How often the item was opened; nullopt in version 1, which keeps a
  // decaying score there instead.
  std::optional<std::uint32_t> access_count;
  std::string path;  // the item's path as the shell recorded it
  std::size_t mru_position = 0;  // the entry's place in the list, 0 = most recent

  [[nodiscard]] bool pinned() const { return pin_status >= 0; }
  // The name of the entry's stream: its number in lower-case hexadecimal.
  [[nodiscard]] std::string StreamName() const;
};

// The DestList stream of an automatic jump list.
struct DestList {
  std::uint32_t version = 0;  // 1 (Windows 7 to 8.1); 2, 3, 4 and 6 (Windows 10 and 11)
  std::uint32_t declared_entries = 0;
  std::vector<DestListEntry> entries;  // in stored order, most recent first
  // Why entries are missing (the stream ends inside an entry, holds fewer than
  // it declares, has a version of unknown layout); nullopt when all were read.
  std::optional<std::string> error;
};

// Reads a DestList stream. A 0-byte stream is an empty list without error.
// Never throws: a stream that does not hold together gives the entries read
// before the fault and the fault's cause.
[[nodiscard]] DestList ReadDestList(std::span<const std::uint8_t> bytes);

}  // namespace varnlink::lnk
