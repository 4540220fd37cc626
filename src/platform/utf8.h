#pragma once

#include <string>

namespace varnlink::platform {

// Appends the UTF-8 form of `code_point` (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t code_point);

}  // namespace varnlink::platform
