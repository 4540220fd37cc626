// SHA-256 through the system's library: known digests, whole and fed in
// uneven pieces.

#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace varnlink::platform {
namespace {

struct Vector {
  const char* name;
  std::vector<std::uint8_t> bytes;
  const char* digest;
};

std::vector<std::uint8_t> Of(const std::string& text) { return {text.begin(), text.end()}; }

// 1 MiB of the bytes 0, 1, ..., 250, 0, 1, ...: not a multiple of the
// 64-byte block in its pattern, so no block repeats its neighbour.
std::vector<std::uint8_t> MiB() {
  std::vector<std::uint8_t> bytes(1u << 20);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
  return bytes;
}

const std::vector<Vector>& Vectors() {
  static const std::vector<Vector> vectors = {
      {"empty", {}, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", Of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // 56 bytes: the length no longer fits the first block's padding.
      {"two_blocks", Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"mebibyte", MiB(), "631b84027d6b9e52b539c4e8373622d23032dfadc64d60af87339c9037e4f769"},
  };
  return vectors;
}

class Sha256Vectors : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Sha256Vectors, GivesTheKnownDigestWholeAndInPieces) {
  const Vector& v = Vectors()[GetParam()];
  EXPECT_EQ(HexOf(Sha256(v.bytes)), v.digest);

  // Pieces of 1, 2, 3, ... bytes cross the block boundaries everywhere.
  Sha256Hasher hasher;
  std::span<const std::uint8_t> rest(v.bytes);
  for (std::size_t piece = 1; !rest.empty(); ++piece) {
    const std::size_t n = std::min(piece, rest.size());
    hasher.Update(rest.first(n));
    hasher.Update({});
    rest = rest.subspan(n);
  }
  EXPECT_EQ(HexOf(hasher.Finish()), v.digest);
}

INSTANTIATE_TEST_SUITE_P(Known, Sha256Vectors, ::testing::Range<std::size_t>(0, 4),
                         [](const auto& row) { return std::string(Vectors()[row.param].name); });

}  // namespace
}  // namespace varnlink::platform
