#pragma once

#include "lnk/byte_reader.h"
#include "lnk/shortcut_info.h"
#include "text/text_decoder.h"

namespace varnlink::lnk {

// Reads a file that is not a genuine shell link the way Varnlink always has:
// the target right after the volume record's label-offset field (the bytes
// 10 00 00 00, followed by 00 when the label is empty) up to the next NUL,
// then the counted strings after it, one byte per character in the ANSI code
// page, and the flags, hot key and show command at their header positions.
// The rules read the bytes as if one blank followed the last: a count, the
// flags, the hot key or a string may take it in. Throws DecodeError when
// the file is too short to hold the flags or no NUL ends the target.
[[nodiscard]] ShortcutInfo ReadByByteRules(const ByteReader& file,
                                           const text::TextDecoder& decoder);

}  // namespace varnlink::lnk
