#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "auditor/byte_reader.h"
#include "platform/file_services.h"

namespace varnlink::auditor {

// Link flags (bytes 20-23 of a genuine link).
enum LinkFlag : std::uint32_t {
  kHasLinkTargetIdList = 0x1,
  kHasLinkInfo = 0x2,
  kHasName = 0x4,
  kHasRelativePath = 0x8,
  kHasWorkingDir = 0x10,
  kHasArguments = 0x20,
  kHasIconLocation = 0x40,
  kIsUnicode = 0x80,
  kForceNoLinkInfo = 0x100,
};

inline constexpr std::size_t kHeaderSize = 76;

// True when the bytes start with the shell link header size and class id.
[[nodiscard]] bool IsGenuineLink(const ByteReader& file);

// A genuine link read by its structure: the header's flags, the target, and
// where the counted strings start. It does not read the strings themselves
// beyond what finding the environment-variables block needs.
struct LinkLayout {
  std::uint32_t flags = 0;
  std::size_t strings_start = 0;
  std::string target;  // UTF-8, not yet made safe for the report
};

// nullopt when the structure does not hold together (an ID list or link info
// reaching past the end, offsets outside the link info, a path without its
// NUL); the caller then falls back to the byte rules.
[[nodiscard]] std::optional<LinkLayout> ReadLinkLayout(const ByteReader& file,
                                                       const platform::FileServices& files);

}  // namespace varnlink::auditor
