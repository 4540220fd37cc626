#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnlink::platform {

// Appends the UTF-8 form of `code_point` (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t code_point);

// U+FFFD, which stands for text that is not valid.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the UTF-8 sequence at text[i] and moves `i` past it. An invalid or
// overlong sequence, or a surrogate, decodes as U+FFFD and moves `i` past one
// byte only. `i` must be within `text`.
[[nodiscard]] char32_t NextCodePoint(std::string_view text, std::size_t& i);

}  // namespace varnlink::platform
