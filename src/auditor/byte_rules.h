#pragma once

#include <cstddef>
#include <optional>

#include "auditor/byte_reader.h"

namespace varnlink::auditor {

// Where the byte rules find the target in a file that is not read by its
// structure: right after the volume record's label-offset field (the bytes
// 10 00 00 00, followed by 00 when the label is empty), up to the next NUL.
struct ByteRuleTarget {
  std::size_t start = 0;
  std::size_t end = 0;  // position of the NUL that ends the target
};

// `buffer` holds the file's bytes and one blank after them. nullopt when no
// NUL ends the target.
[[nodiscard]] std::optional<ByteRuleTarget> FindTargetByByteRules(const ByteReader& buffer);

}  // namespace varnlink::auditor
