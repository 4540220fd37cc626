#pragma once

// Text at the boundary to the wide-character Windows API. The program keeps
// UTF-8 inside; Windows names are UTF-16 and may hold unpaired surrogates,
// which UTF-8 cannot carry. Both directions therefore use WTF-8 (UTF-8 that
// also encodes lone surrogates), so every name Windows lists converts back to
// the same UTF-16 and can be opened again.

#include <string>
#include <string_view>

namespace varnlink::platform {

// UTF-8 (or WTF-8) to UTF-16. Bytes that form no character become U+FFFD.
[[nodiscard]] std::wstring Utf8ToWide(std::string_view text);

// UTF-16 to UTF-8; an unpaired surrogate is kept as its three-byte WTF-8 form.
[[nodiscard]] std::string WideToUtf8(std::wstring_view text);

// The form of `path` handed to the wide file API: a full drive or UNC path
// made only of plain names gets the "\\?\" prefix, so names Windows would
// otherwise trim (trailing dots and blanks, device names such as "con") and
// paths beyond MAX_PATH still reach the file. Any other path is passed as is,
// or, when too long, made absolute first and then prefixed.
[[nodiscard]] std::wstring ApiPath(const std::string& path);

}  // namespace varnlink::platform
