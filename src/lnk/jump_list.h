#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lnk/compound_file.h"
#include "lnk/dest_list.h"

namespace varnlink::lnk {

// A category of a custom jump list.
struct CustomCategory {
  std::size_t index = 0;   // its place among the list's categories, from 0
  std::uint32_t type = 0;  // 0 custom (named by the program), 1 known, 2 the user tasks
  // A printable name: the program's name for it, "Frequent" and "Recent" for
  // the known ones (others "Known category <id>"), "Tasks".
  std::string name;
};

// One shortcut of a jump list, or a DestList entry that should have one.
struct JumpListEntry {
  // Automatic lists: the stream's name as stored ("1f"); custom lists: the
  // shortcut's 0-based place in the file as decimal text ("0", "1", ...).
  std::string stream;
  std::uint64_t size = 0;  // the shortcut's length in bytes (0 when it has none)
  // Custom lists: where the shortcut starts in the file, after its class id.
  std::size_t offset = 0;
  // Automatic lists: what the DestList says of it; nullopt when it has no entry.
  std::optional<DestListEntry> dest_list;
  // Custom lists: its category; nullopt for a shortcut after the last one.
  std::optional<CustomCategory> category;
  // Why the entry's bytes cannot be read ("no shortcut stream for this
  // entry", a stream whose chain loops); nullopt when they can.
  std::optional<std::string> error;
  // Automatic lists: the stream's place in the compound file's Streams().
  std::optional<std::size_t> stream_index;
};

// What a jump list holds, read without decoding its shortcuts (beyond
// finding where each ends in a custom list). It refers to the file's bytes,
// which must outlive it.
struct JumpList {
  // Automatic lists: in DestList order (most recent first), then the
  // streams without a DestList entry by entry number. Custom lists: in
  // file order.
  std::vector<JumpListEntry> entries;
  // The first fault of the file, naming its cause (the caller names the
  // file): what could be read is in `entries` (an entry whose own bytes are
  // lost also carries it). nullopt when the whole file held together.
  std::optional<std::string> error;
  // Automatic lists: the DestList's version; nullopt without a DestList.
  std::optional<std::uint32_t> dest_list_version;

  std::span<const std::uint8_t> bytes;  // the whole file
  std::optional<CompoundFile> compound_file;  // automatic lists that opened

  // Calls `visit` for each entry, in order, with the shortcut's bytes (empty
  // when the entry has an error). An automatic list's streams are gathered
  // one at a time into one buffer, valid during the call only.
  void ForEachShortcut(
      const std::function<void(const JumpListEntry&, std::span<const std::uint8_t> link)>& visit) const;
};

// Reads an automatic jump list (*.automaticDestinations-ms): a compound file
// whose lower-case hexadecimal streams are shortcuts indexed by its DestList
// stream. Never throws; empty lists (a 0-byte DestList, only a root entry)
// give no entries and no error.
[[nodiscard]] JumpList ReadAutomaticDestinations(std::span<const std::uint8_t> bytes);

// Reads a custom jump list (*.customDestinations-ms): categories of
// shortcuts, each after its class id and each category closed by a footer.
// Shortcuts past a category's declared count or after the last category are
// reported too. Never throws.
[[nodiscard]] JumpList ReadCustomDestinations(std::span<const std::uint8_t> bytes);

}  // namespace varnlink::lnk
