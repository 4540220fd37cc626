#pragma once

#include <string>
#include <string_view>

namespace varnlink::text {

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same value,
// as Windows itself does.
[[nodiscard]] std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace varnlink::text
