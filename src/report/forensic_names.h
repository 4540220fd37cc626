#pragma once

// Names investigators know the link's numbers by: the header's flags and the
// target's attributes, the volume's drive type, the network provider, the
// known folders and the CSIDLs of the special-folder block.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"

namespace varnlink::report {

// The set bits of the header's link flags by their names in the format's
// documentation (HasLinkTargetIDList, ...); a bit without a name as "0x8000000".
[[nodiscard]] std::vector<std::string> LinkFlagNames(std::uint32_t flags);

// The set bits of the target's attributes by their FILE_ATTRIBUTE_ names
// without the prefix (READONLY, DIRECTORY, ...); a bit without one as "0x8".
[[nodiscard]] std::vector<std::string> FileAttributeNames(std::uint32_t attributes);

// unknown, no_root_dir, removable, fixed, remote, cdrom, ramdisk; another as "0x7".
[[nodiscard]] std::string DriveTypeName(std::uint32_t drive_type);

// The network provider's WNNC_NET_ name (WNNC_NET_LANMAN for 0x00020000);
// another as "0x00440000".
[[nodiscard]] std::string NetworkProviderName(std::uint32_t provider);

// The well-known name of a known folder's braced upper-case GUID (Desktop,
// Documents, ...); nullopt for one the table does not hold.
[[nodiscard]] std::optional<std::string_view> KnownFolderName(std::string_view guid);

// The CSIDL_ name of a special folder's id; nullopt for one without a name.
[[nodiscard]] std::optional<std::string_view> SpecialFolderName(std::uint32_t csidl);

// A MAC address as aa:bb:cc:dd:ee:ff.
[[nodiscard]] std::string MacText(const std::array<std::uint8_t, 6>& mac);

// An instant in RFC 3339 UTC with all seven fractional digits (100 ns):
// "2016-01-29T13:54:53.4860990Z".
[[nodiscard]] std::string PreciseUtcText(platform::FileTime time);

}  // namespace varnlink::report
