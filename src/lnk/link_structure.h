#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "lnk/byte_reader.h"
#include "lnk/shortcut_info.h"
#include "text/text_decoder.h"

namespace varnlink::lnk {

// True when the bytes start with the shell link header size and class id:
// the file is a shortcut, whatever follows.
[[nodiscard]] bool IsGenuineLink(const ByteReader& file);

// A genuine link whose header, ID list, link info or an extra-data block
// reaches past the end of the file. Its message names the record and says
// where it ends as declared: "the ID list ends at byte 90 of a file of 80 bytes".
class CutShort : public std::runtime_error {
 public:
  CutShort(std::string_view record, std::size_t end, std::size_t file_size);
};

// Reads a genuine shell link by its structure: the header's flags, hot key
// (named by its virtual-key code), show command and times, the ID list's shell
// items, the counted strings as Windows reads them (and as their counts
// declare them where that differs), the property store's app id, and the target:
// the link info's path or share, else the environment-variables block's
// target, else a packaged app's id where the ID list names nothing beyond the
// computer, else the ID list's parsing name. Besides, what the suspicious-
// shortcut checks set the records against: the link info's paths, both halves
// of the environment block, the strings' counts, and what Windows runs.
//
// nullopt when the file is not a genuine link, or when its link info does not
// hold together (a size below its header's, an offset leaving the record, a
// path without its NUL); the caller then reads the file by the byte rules.
// Throws CutShort when the header, the ID list, the link info or an extra-data
// block reaches past the end of the file (bytes as long as kMaxShortcutBytes
// may be the start of a longer file, and are read as far as they go instead).
// Faults inside the ID list, in the strings and in the extra data do not make
// it fall back: a malformed shell item or property store gives no target from
// that record, and a string that runs past the end is cut; then the extra data
// is not looked for.
//
// With Detail::kRecord it reads besides what ShortcutInfo's record fields
// hold (see Detail).
[[nodiscard]] std::optional<ShortcutInfo> ReadByStructure(const ByteReader& file,
                                                          const text::TextDecoder& decoder,
                                                          Detail detail);

}  // namespace varnlink::lnk
