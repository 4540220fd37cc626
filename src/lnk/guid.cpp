#include "lnk/guid.h"

namespace varnlink::lnk {
namespace {

constexpr std::size_t kGuidSize = 16;

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

}  // namespace

std::string GuidText(const ByteReader& record, std::size_t pos) {
  const ByteReader guid = record.Sub(pos, kGuidSize);
  std::string text = "{";
  AppendHex(text, guid.ReadU32(0), 8);
  text += '-';
  AppendHex(text, guid.ReadU16(4), 4);
  text += '-';
  AppendHex(text, guid.ReadU16(6), 4);
  text += '-';
  for (std::size_t i = 8; i < kGuidSize; ++i) {
    if (i == 10) text += '-';
    AppendHex(text, guid.ReadU8(i), 2);
  }
  text += '}';
  return text;
}

}  // namespace varnlink::lnk
