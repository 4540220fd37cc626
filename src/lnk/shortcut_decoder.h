#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lnk/shortcut_info.h"
#include "platform/file_services.h"

namespace varnlink::lnk {

// Files larger than this are read only this far.
inline constexpr std::size_t kMaxShortcutBytes = 16u * 1024u * 1024u;

// Decodes a shortcut file's bytes. A genuine shell link (one that starts with
// the header size and class id) is read by its structure; any other file, or
// a genuine link whose link info does not hold together, by the byte rules.
// Throws platform::Error naming `path` when a genuine link is cut short (its
// header, ID list, link info or an extra-data block reaches past the end of
// the file) or when the byte rules find no shortcut.
[[nodiscard]] ShortcutInfo DecodeShortcut(const std::string& path, std::vector<std::uint8_t> bytes,
                                          const platform::FileServices& files);

}  // namespace varnlink::lnk
