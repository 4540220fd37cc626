#include "text/utf16.h"

namespace varnlink::text {

std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes) {
  // Written in place into room for the longest result (three bytes a unit,
  // and the replacement of a trailing odd byte), then cut to size: a shortcut
  // holds several such strings and every one is converted.
  const std::size_t units = bytes.size() / 2;
  std::string out(3 * units + 3, '\0');
  const auto unit = [bytes](std::size_t k) {
    return static_cast<char32_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
  };
  char* at = EncodeUtf16AsUtf8(units, unit, Form::kUtf8, out.data());
  if (bytes.size() % 2 != 0) at = EncodeUtf8(kReplacementCharacter, at);
  out.resize(static_cast<std::size_t>(at - out.data()));
  return out;
}

}  // namespace varnlink::text
