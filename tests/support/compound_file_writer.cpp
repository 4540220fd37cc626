#include "tests/support/compound_file_writer.h"

namespace varnlink::test_support {
namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;

std::size_t SectorAt(std::uint32_t s) { return (std::size_t{s} + 1) * kSector; }

void PutEntry(Bytes& bytes, std::size_t at, const std::string& name, std::uint8_t type, std::uint32_t child,
              std::uint32_t right, std::uint32_t start, std::uint64_t size) {
  const Bytes utf16 = ToUtf16Le(name);
  PutBytes(bytes, at, utf16);
  PutU16(bytes, at + 64, static_cast<std::uint16_t>(utf16.size() + 2));
  PutU8(bytes, at + 66, type);
  PutU8(bytes, at + 67, 1);  // black
  PutU32(bytes, at + 68, kFree);
  PutU32(bytes, at + 72, right);
  PutU32(bytes, at + 76, child);
  PutU32(bytes, at + 116, start);
  PutU64(bytes, at + 120, size);
}

}  // namespace

CompoundFileImage WriteCompoundFile(const std::vector<std::pair<std::string, Bytes>>& streams) {
  CompoundFileImage image;
  std::vector<std::uint32_t> fat, mini_fat;
  // Sector 0: the FAT; then the directory; then the mini FAT.
  fat.push_back(0xFFFFFFFD);
  const std::uint32_t directory_sectors = static_cast<std::uint32_t>((streams.size() + 1 + 3) / 4);
  const std::uint32_t directory_start = 1;
  for (std::uint32_t i = 0; i < directory_sectors; ++i) fat.push_back(i + 1 < directory_sectors ? directory_start + i + 1 : kEnd);
  const auto mini_fat_sector = static_cast<std::uint32_t>(fat.size());
  fat.push_back(kEnd);
  // Mini streams one after another in the mini stream, others in sectors.
  Bytes mini_stream;
  Bytes big;
  std::vector<std::uint32_t> big_start;
  const auto big_base = [&] { return static_cast<std::uint32_t>(fat.size()); };
  for (const auto& [name, data] : streams) {
    if (data.size() < 4096) {
      const auto first = static_cast<std::uint32_t>(mini_stream.size() / 64);
      const std::size_t count = (data.size() + 63) / 64;
      for (std::size_t k = 0; k < count; ++k) mini_fat.push_back(k + 1 < count ? first + static_cast<std::uint32_t>(k) + 1 : kEnd);
      image.first_sector.push_back(count ? first : kEnd);
      AppendBytes(mini_stream, data);
      mini_stream.resize(mini_stream.size() + (64 - mini_stream.size() % 64) % 64);
    } else {
      image.first_sector.push_back(0);  // placed below
    }
  }
  const auto mini_stream_start = big_base();
  const std::size_t mini_sectors = (mini_stream.size() + kSector - 1) / kSector;
  for (std::size_t k = 0; k < mini_sectors; ++k) fat.push_back(k + 1 < mini_sectors ? mini_stream_start + static_cast<std::uint32_t>(k) + 1 : kEnd);
  for (std::size_t i = 0; i < streams.size(); ++i) {
    const Bytes& data = streams[i].second;
    if (data.size() < 4096) continue;
    image.first_sector[i] = big_base();
    const std::size_t count = (data.size() + kSector - 1) / kSector;
    for (std::size_t k = 0; k < count; ++k) fat.push_back(k + 1 < count ? big_base() + 1 : kEnd);
    AppendBytes(big, data);
    big.resize(big.size() + (kSector - big.size() % kSector) % kSector);
  }
  Bytes& bytes = image.bytes;
  PutBytes(bytes, 0, {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1});
  PutU16(bytes, 24, 0x3E);
  PutU16(bytes, 26, 3);
  PutU16(bytes, 28, 0xFFFE);
  PutU16(bytes, 30, 9);
  PutU16(bytes, 32, 6);
  PutU32(bytes, 44, 1);  // FAT sectors
  PutU32(bytes, 48, directory_start);
  PutU32(bytes, 56, 4096);
  PutU32(bytes, 60, mini_fat.empty() ? kEnd : mini_fat_sector);
  PutU32(bytes, 64, mini_fat.empty() ? 0 : 1);
  PutU32(bytes, 68, kEnd);
  for (std::size_t i = 0; i < 109; ++i) PutU32(bytes, 76 + 4 * i, i == 0 ? 0 : kFree);
  image.fat_at = SectorAt(0);
  for (std::size_t i = 0; i < 128; ++i) PutU32(bytes, image.fat_at + 4 * i, i < fat.size() ? fat[i] : kFree);
  for (std::size_t i = 0; i <= streams.size(); ++i) image.entry_at.push_back(SectorAt(directory_start) + 128 * i);
  PutEntry(bytes, image.entry_at[0], "Root Entry", 5, streams.empty() ? kFree : 1, kFree,
           mini_stream.empty() ? kEnd : mini_stream_start, mini_stream.size());
  for (std::size_t i = 0; i < streams.size(); ++i) {
    PutEntry(bytes, image.entry_at[i + 1], streams[i].first, 2, kFree,
             i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kFree, image.first_sector[i],
             streams[i].second.size());
  }
  bytes.resize(SectorAt(directory_start + directory_sectors), 0);
  for (std::size_t i = 0; i < 128; ++i) PutU32(bytes, SectorAt(mini_fat_sector) + 4 * i, i < mini_fat.size() ? mini_fat[i] : kFree);
  bytes.resize(SectorAt(mini_stream_start), 0);
  AppendBytes(bytes, mini_stream);
  bytes.resize(SectorAt(mini_stream_start + static_cast<std::uint32_t>(mini_sectors)), 0);
  AppendBytes(bytes, big);
  return image;
}

}  // namespace varnlink::test_support
