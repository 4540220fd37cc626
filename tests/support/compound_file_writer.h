#pragma once

// Test-support writer of small compound files (OLE2 structured storage) as
// jump lists hold them: 512-byte sectors; one FAT sector, then the
// directory, one mini FAT sector, the mini stream, and the streams of 4096
// bytes and more. The positions it reports let a test damage the file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/link_writer.h"

namespace varnlink::test_support {

struct CompoundFileImage {
  Bytes bytes;
  std::size_t fat_at = 0;  // where the FAT's entries start
  // Where each directory entry starts (0: the root; then the streams in the
  // order given, each the right sibling of the one before).
  std::vector<std::size_t> entry_at;
  // Each stream's first sector (a mini sector below 4096 bytes).
  std::vector<std::uint32_t> first_sector;
};

// The streams (name, bytes) under the root, in that order.
[[nodiscard]] CompoundFileImage WriteCompoundFile(const std::vector<std::pair<std::string, Bytes>>& streams);

}  // namespace varnlink::test_support
