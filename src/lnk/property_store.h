#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lnk/byte_reader.h"
#include "lnk/shortcut_info.h"

namespace varnlink::lnk {

inline constexpr std::uint32_t kPropertyStoreBlock = 0xA0000009;

// Reads serialized property storages (the property-store extra-data block
// after its size and signature, or the storages of an apps shell item) for
// the one property the audit uses: the app user model id of a packaged app,
// property 5 of format {9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}, a UTF-16
// string. Other properties are passed over by their sizes, not decoded.
//
// nullopt when the storages hold no such string. Throws RecordError when
// their sizes do not add up: a storage or value that leaves the bytes around
// it, is smaller than its own header or is not filled exactly by its values,
// or a list without its terminating zero size.
[[nodiscard]] std::optional<std::string> AppUserModelId(const ByteReader& storages);

// Reads every property of serialized property storages, in order, as far as
// they can be read. Never throws: a storage whose sizes do not add up gives
// the properties before the fault (a property whose value does not lie inside
// it keeps its id and type with no value), and the storages after it are
// read when its own size still leads to them.
[[nodiscard]] std::vector<Property> ReadProperties(const ByteReader& storages);

// The VT_ name of a property type ("VT_LPWSTR"); "0xNNNN" for one not known.
[[nodiscard]] std::string VariantTypeName(std::uint16_t type);

}  // namespace varnlink::lnk
