#include "auditor/byte_rules.h"

#include <array>
#include <cstdint>

namespace varnlink::auditor {
namespace {

// The volume record's label offset (16) followed by an empty label, and the
// offset alone.
constexpr std::array<std::uint8_t, 5> kEmptyLabelPattern = {0x10, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<std::uint8_t, 4> kLabelOffsetPattern = {0x10, 0x00, 0x00, 0x00};

}  // namespace

std::optional<ByteRuleTarget> FindTargetByByteRules(const ByteReader& buffer) {
  std::size_t start = 0;
  if (const auto a = buffer.Find(kEmptyLabelPattern, 0)) {
    start = *a + kEmptyLabelPattern.size();
  } else {
    // Past the label: the target starts after the first NUL that follows the
    // pattern (or byte 3 when there is no pattern), else at the file's start.
    const auto b = buffer.Find(kLabelOffsetPattern, 0);
    const std::size_t from = b ? *b + kLabelOffsetPattern.size() : 3;
    const auto nul = buffer.FindNul(from, buffer.size());
    start = nul ? *nul + 1 : 0;
  }
  const auto end = buffer.FindNul(start, buffer.size());
  if (!end) return std::nullopt;
  return ByteRuleTarget{start, *end};
}

}  // namespace varnlink::auditor
