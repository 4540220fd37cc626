#include "lnk/guid.h"

namespace varnlink::lnk {
namespace {

constexpr std::size_t kGuidSize = 16;

char* PutHex(char* at, std::uint32_t value, int digits) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) *at++ = kDigits[(value >> shift) & 0xF];
  return at;
}

}  // namespace

// Written into a buffer of its exact size and made a string once: a link's
// shell items, tracker and property stores hold many GUIDs.
std::string GuidText(const ByteReader& record, std::size_t pos) {
  const ByteReader guid = record.Sub(pos, kGuidSize);
  char text[38];
  char* at = text;
  *at++ = '{';
  at = PutHex(at, guid.ReadU32(0), 8);
  *at++ = '-';
  at = PutHex(at, guid.ReadU16(4), 4);
  *at++ = '-';
  at = PutHex(at, guid.ReadU16(6), 4);
  *at++ = '-';
  for (std::size_t i = 8; i < kGuidSize; ++i) {
    if (i == 10) *at++ = '-';
    at = PutHex(at, guid.ReadU8(i), 2);
  }
  *at++ = '}';
  return std::string(text, static_cast<std::size_t>(at - text));
}

}  // namespace varnlink::lnk
