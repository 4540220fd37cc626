#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

#include "lnk/shortcut_info.h"
#include "text/text_decoder.h"

namespace varnlink::lnk {

// Files larger than this are read only this far. Bytes this long may be the
// start of a longer file, so the decoder calls no record in them cut short.
inline constexpr std::size_t kMaxShortcutBytes = 16u * 1024u * 1024u;

// Bytes that hold no shortcut to report. The message says why without naming
// where the bytes came from ("the shortcut is cut short: the ID list ends at
// byte 90 of a file of 80 bytes"); the caller, which knows, names it.
class DecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decodes a shortcut's bytes, reading ANSI text with `ansi`, as far as
// `detail` asks. A genuine shell
// link (one that starts with the header size and class id) is read by its
// structure; any other bytes, or a genuine link whose link info does not hold
// together, by the byte rules. It reads nothing but `bytes` and keeps no
// reference to them. Throws DecodeError when a genuine link is cut short (its
// header, ID list, link info or an extra-data block reaches past the end) or
// when the byte rules find no shortcut.
[[nodiscard]] ShortcutInfo Decode(std::span<const std::uint8_t> bytes,
                                  const text::TextDecoder& ansi,
                                  Detail detail = Detail::kAudit);

}  // namespace varnlink::lnk
