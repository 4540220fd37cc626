#pragma once

#include <optional>

#include "auditor/byte_reader.h"
#include "auditor/shortcut_info.h"
#include "platform/file_services.h"

namespace varnlink::auditor {

// True when the bytes start with the shell link header size and class id.
[[nodiscard]] bool IsGenuineLink(const ByteReader& file);

// Reads a genuine shell link by its structure: the header's flags, hot key
// (named by its virtual-key code), show command and times, the ID list's shell
// items, the counted strings, the property store's app id, and the target:
// the link info's path or share, else the environment-variables block's
// target, else a packaged app's id where the ID list names nothing beyond the
// computer, else the ID list's parsing name. Besides, what the suspicious-
// shortcut checks set the records against: the link info's paths, both halves
// of the environment block, the strings' counts, and what Windows runs.
//
// nullopt when the file is not a genuine link, or when its ID list's size or
// its link info does not hold together (a size or offset leaving the file or
// the record, a path without its NUL); the caller then reads the file by the
// byte rules. Faults inside the ID list, in the strings and in the extra data
// do not make it fall back: a malformed shell item or property store gives no
// target from that record, a string that runs past the end is cut, an
// extra-data block that does not fit ends the search of the extra data.
[[nodiscard]] std::optional<ShortcutInfo> ReadByStructure(const ByteReader& file,
                                                          const platform::FileServices& files);

}  // namespace varnlink::auditor
