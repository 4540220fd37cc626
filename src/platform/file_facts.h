#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_services.h"

namespace varnlink::platform {

// The shortcut file's own facts, as values.
struct FileFacts {
  std::string path;  // as given
  std::string name;  // the file name without its extension (ShortcutNameOf)
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;           // Attribute bits
  std::optional<FileTimes> times;  // UTC; nullopt when unreadable
  // The times in local time as the system converts them; all zero where the
  // times could not be read or converted.
  LocalTime created_local;
  LocalTime modified_local;
  LocalTime accessed_local;
};

// Reads the facts of the file at `path` (one status call). Throws naming the
// path when nothing is there or the status cannot be read.
[[nodiscard]] FileFacts GatherFileFacts(const std::string& path,
                                        const FileServices& files);

// The last component of `path` without its extension (from the last "."):
// "My.Old.App.lnk" gives "My.Old.App"; a component without "." is kept whole.
[[nodiscard]] std::string ShortcutNameOf(const std::string& path, char separator);

}  // namespace varnlink::platform
