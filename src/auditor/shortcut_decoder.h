#pragma once

#include <string>
#include <utility>

#include "auditor/shortcut_fields.h"
#include "platform/file_services.h"

namespace varnlink::auditor {

// Files larger than this are read only this far.
inline constexpr std::size_t kMaxShortcutBytes = 16u * 1024u * 1024u;

// Reads the shortcut at `path` and decodes its flags and target. A genuine
// shell link is read by its structure; any other file by the byte rules (a
// search for the volume record, one byte per character). Throws
// platform::Error or std::system_error naming the path when the file cannot
// be read or decoded.
[[nodiscard]] std::pair<ShortcutImage, ShortcutFields> DecodeTarget(
    const std::string& path, const platform::FileServices& files);

// Decodes from bytes already read (used by DecodeTarget, tests and fuzzing).
[[nodiscard]] std::pair<ShortcutImage, ShortcutFields> DecodeTargetFromBytes(
    const std::string& path, std::vector<std::uint8_t> bytes, const platform::FileServices& files);

// Decodes the start-in folder, arguments, icon source, hot key and run mode.
// Throws (naming `path`) only while reading the description and relative path;
// from the working folder on, a failing step is skipped.
void DecodeDetails(const std::string& path, ShortcutImage& image, ShortcutFields& fields,
                   const platform::FileServices& files);

}  // namespace varnlink::auditor
