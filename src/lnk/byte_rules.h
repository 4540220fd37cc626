#pragma once

#include <string>

#include "lnk/byte_reader.h"
#include "lnk/shortcut_info.h"
#include "platform/file_services.h"

namespace varnlink::lnk {

// Reads a file that is not a genuine shell link the way Varnlink always has:
// the target right after the volume record's label-offset field (the bytes
// 10 00 00 00, followed by 00 when the label is empty) up to the next NUL,
// then the counted strings after it, one byte per character in the ANSI code
// page, and the flags, hot key and show command at their header positions.
// `buffer` holds the file's bytes and one blank after them, as the rules
// expect. Throws platform::Error naming `path` when the file is too short to
// hold the flags or no NUL ends the target.
[[nodiscard]] ShortcutInfo ReadByByteRules(const ByteReader& buffer, const std::string& path,
                                           const platform::FileServices& files);

}  // namespace varnlink::lnk
