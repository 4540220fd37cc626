#include "lnk/shortcut_decoder.h"

#include <span>

#include "lnk/byte_reader.h"
#include "lnk/byte_rules.h"
#include "lnk/link_structure.h"
#include "platform/error.h"

namespace varnlink::lnk {

ShortcutInfo DecodeShortcut(const std::string& path, std::vector<std::uint8_t> bytes,
                            const platform::FileServices& files) {
  try {
    if (auto info = ReadByStructure(ByteReader(bytes), files)) return std::move(*info);
  } catch (const CutShort& cut) {
    // What the file holds of its records is no shortcut to report, and its
    // bytes are no file for the byte rules to guess at.
    throw platform::Error(path + ": the shortcut is cut short: " + cut.what());
  }
  bytes.push_back(' ');  // the end position the byte rules may look at
  ShortcutInfo info = ReadByByteRules(ByteReader(bytes), path, files);
  // Without the structure, what the byte rules found is all there is to run.
  info.effective_target = info.target;
  info.effective_target_source = info.target_source;
  return info;
}

}  // namespace varnlink::lnk
