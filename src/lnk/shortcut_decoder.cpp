#include "lnk/shortcut_decoder.h"

#include "lnk/byte_reader.h"
#include "lnk/byte_rules.h"
#include "lnk/link_structure.h"

namespace varnlink::lnk {

ShortcutInfo Decode(std::span<const std::uint8_t> bytes, const text::TextDecoder& ansi,
                    Detail detail) {
  const ByteReader file(bytes);
  try {
    if (auto info = ReadByStructure(file, ansi, detail)) return std::move(*info);
  } catch (const CutShort& cut) {
    // What the file holds of its records is no shortcut to report, and its
    // bytes are no file for the byte rules to guess at.
    throw DecodeError(std::string("the shortcut is cut short: ") + cut.what());
  }
  ShortcutInfo info = ReadByByteRules(file, ansi);
  // Without the structure, what the byte rules found is all there is to run.
  info.effective_target = info.target;
  info.effective_target_source = info.target_source;
  return info;
}

}  // namespace varnlink::lnk
