#pragma once

#include <cstddef>
#include <string>

#include "lnk/byte_reader.h"

namespace varnlink::lnk {

// The 16-byte GUID at `pos` of `record` (Data1 32-bit, Data2 and Data3 16-bit,
// little-endian, then 8 bytes in order) as Windows writes it, upper case in
// braces: "{20D04FE0-3AEA-1069-A2D8-08002B30309D}". Throws RecordError when
// the GUID does not lie inside the record.
[[nodiscard]] std::string GuidText(const ByteReader& record, std::size_t pos);

}  // namespace varnlink::lnk
