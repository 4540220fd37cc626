#pragma once

#include <optional>

#include "auditor/byte_reader.h"
#include "auditor/shortcut_info.h"
#include "platform/file_services.h"

namespace varnlink::auditor {

// True when the bytes start with the shell link header size and class id.
[[nodiscard]] bool IsGenuineLink(const ByteReader& file);

// Reads a genuine shell link by its structure: the header's flags, hot key,
// show command and times, the target (the link info's path or share, else the
// environment-variables block's target), and the counted strings.
//
// nullopt when the file is not a genuine link, or when its ID list or link
// info does not hold together (a size or offset leaving the file or the
// record, a path without its NUL); the caller then reads the file by the byte
// rules. Faults in the strings and the extra data do not make it fall back:
// a string that runs past the end is cut, an extra-data block that does not
// fit ends the search for the environment target.
[[nodiscard]] std::optional<ShortcutInfo> ReadByStructure(const ByteReader& file,
                                                          const platform::FileServices& files);

}  // namespace varnlink::auditor
