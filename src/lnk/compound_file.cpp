#include "lnk/compound_file.h"

#include <algorithm>
#include <array>

#include "lnk/byte_reader.h"
#include "text/utf16.h"

namespace varnlink::lnk {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kHeaderFatSectors = 109;  // the DIFAT's first part, in the header
constexpr std::size_t kHeaderFatAt = 76;
constexpr std::size_t kDirectoryEntrySize = 128;
constexpr unsigned kMiniSectorShift = 6;
constexpr std::uint32_t kMiniStreamCutoff = 4096;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint8_t kStorageType = 1;
constexpr std::uint8_t kStreamType = 2;
constexpr std::uint8_t kRootType = 5;

// kPastEnd: a sector the table holds but the file (or mini stream) does not
// reach: most often a file cut short.
enum class ChainEnd { kWhole, kLoops, kLeaves, kPastEnd };

// Marks of the sectors one chain walk has passed, sized to its table once
// and cleared after each walk, so that a walk costs its own length.
class Visited {
 public:
  explicit Visited(std::size_t size) : seen_(size, false) {}
  bool Mark(std::uint32_t sector) {
    if (seen_[sector]) return false;
    seen_[sector] = true;
    return true;
  }
  void Clear(const std::vector<std::uint32_t>& sectors) {
    for (const std::uint32_t s : sectors) seen_[s] = false;
  }

 private:
  std::vector<bool> seen_;
};

// Follows `table` from `start` for at most `limit` sectors or to the end of
// the chain, listing the sectors in `sectors` (up to a fault). A sector at or
// past `area` (the sectors the file or the mini stream holds) leaves it.
ChainEnd FollowChain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                     std::size_t limit, std::size_t area, Visited& visited,
                     std::vector<std::uint32_t>& sectors) {
  sectors.clear();
  ChainEnd end = ChainEnd::kWhole;
  for (std::uint32_t s = start; sectors.size() < limit && s != kEndOfChain; s = table[s]) {
    if (s >= table.size() || s >= area) {
      end = s >= table.size() ? ChainEnd::kLeaves : ChainEnd::kPastEnd;
      break;
    }
    if (!visited.Mark(s)) {
      end = ChainEnd::kLoops;
      break;
    }
    sectors.push_back(s);
  }
  visited.Clear(sectors);
  return end;
}

std::string ChainFault(ChainEnd end, const std::string& chain) {
  if (end == ChainEnd::kPastEnd) return "the compound file is cut short: its " + chain + " reaches past its end";
  return "the compound file's " + chain + (end == ChainEnd::kLoops ? " loops" : " leaves the file");
}

std::size_t SectorsFor(std::uint64_t size, unsigned shift) {
  return static_cast<std::size_t>((size + (std::uint64_t{1} << shift) - 1) >> shift);
}

// The directory entry's name: UTF-16LE, its length in bytes counting the
// terminator; a length that does not fit the 64-byte field reads to the
// first NUL.
std::string EntryName(const ByteReader& entry) {
  const std::uint16_t length = entry.ReadU16(64);
  std::size_t units = 0;
  if (length >= 2 && length <= 64 && length % 2 == 0) {
    units = (length - 2u) / 2u;
  } else {
    while (units < 32 && entry.ReadU16(2 * units) != 0) ++units;
  }
  return text::Utf16LeToUtf8(entry.bytes().subspan(0, 2 * units));
}

}  // namespace

CompoundFile CompoundFile::Open(std::span<const std::uint8_t> bytes) {
  const ByteReader file(bytes);
  if (bytes.size() < kHeaderSize) {
    throw CompoundFileError("the compound file is cut short: its header needs 512 bytes, the file has " +
                            std::to_string(bytes.size()));
  }
  if (!std::equal(kSignature.begin(), kSignature.end(), bytes.begin())) {
    throw CompoundFileError("the file is no compound file (its signature is missing)");
  }
  const std::uint16_t shift = file.ReadU16(30);
  if (file.ReadU16(28) != 0xFFFE) throw CompoundFileError("the compound file's byte order mark is wrong");
  if (shift != 9 && shift != 12) {
    throw CompoundFileError("the compound file's sector size 2^" + std::to_string(shift) +
                            " is neither 512 nor 4096");
  }
  if (file.ReadU16(32) != kMiniSectorShift || file.ReadU32(56) != kMiniStreamCutoff) {
    throw CompoundFileError("the compound file's mini sectors are not 64 bytes below 4096");
  }
  CompoundFile cf(bytes);
  cf.sector_shift_ = shift;
  const std::size_t sector_size = std::size_t{1} << shift;
  // Sectors the file holds, the last perhaps in part; sector 0 follows the
  // header's sector.
  const std::size_t file_sectors = SectorsFor(bytes.size(), shift) - 1;
  const auto sector_bytes = [&](std::uint32_t s) {
    return file.Slice((std::size_t{s} + 1) << shift, sector_size);
  };

  // The FAT's sectors: the header's 109, then the DIFAT sectors' lists.
  const std::uint32_t fat_count = file.ReadU32(44);
  if (fat_count > file_sectors) {
    throw CompoundFileError("the compound file declares " + std::to_string(fat_count) +
                            " FAT sectors, more than the file holds");
  }
  std::vector<std::uint32_t> fat_sectors;
  for (std::size_t i = 0; i < kHeaderFatSectors && fat_sectors.size() < fat_count; ++i) {
    fat_sectors.push_back(file.ReadU32(kHeaderFatAt + 4 * i));
  }
  std::uint32_t difat = file.ReadU32(68);
  for (std::size_t steps = 0; fat_sectors.size() < fat_count; ++steps) {
    if (difat == kEndOfChain) {
      throw CompoundFileError("the compound file's DIFAT lists fewer FAT sectors than it declares");
    }
    if (difat >= file_sectors || steps >= file_sectors) {
      throw CompoundFileError(ChainFault(difat >= file_sectors ? ChainEnd::kLeaves : ChainEnd::kLoops,
                                         "DIFAT chain"));
    }
    const ByteReader list(sector_bytes(difat));
    const std::size_t per_sector = sector_size / 4 - 1;
    for (std::size_t i = 0; i < per_sector && fat_sectors.size() < fat_count; ++i) {
      fat_sectors.push_back(list.U32(4 * i).value_or(kNoStream));
    }
    difat = list.U32(4 * per_sector).value_or(kEndOfChain);
  }
  cf.fat_.reserve(fat_count * (sector_size / 4));
  for (const std::uint32_t s : fat_sectors) {
    if (s >= file_sectors) {
      throw CompoundFileError("the compound file's FAT sector " + std::to_string(s) +
                              " lies outside the file");
    }
    const ByteReader part(sector_bytes(s));
    for (std::size_t i = 0; i < sector_size / 4; ++i) cf.fat_.push_back(part.U32(4 * i).value_or(kNoStream));
  }
  Visited visited(cf.fat_.size());
  std::vector<std::uint32_t> chain;
  const std::size_t unbounded = cf.fat_.size() + 1;

  // The directory: 128-byte entries in a chain of sectors. A fault keeps the
  // entries of the sectors before it.
  std::vector<std::uint8_t> directory;
  if (const ChainEnd end = FollowChain(cf.fat_, file.ReadU32(48), unbounded, file_sectors, visited, chain);
      end != ChainEnd::kWhole) {
    cf.directory_fault_ = ChainFault(end, "directory chain");
  }
  for (const std::uint32_t s : chain) {
    const auto part = sector_bytes(s);
    directory.insert(directory.end(), part.begin(), part.end());
  }
  const std::size_t entry_count = directory.size() / kDirectoryEntrySize;
  const ByteReader entries(directory);
  const auto entry_at = [&](std::size_t i) { return entries.Sub(i * kDirectoryEntrySize, kDirectoryEntrySize); };
  if (entry_count == 0 || entry_at(0).ReadU8(66) != kRootType) {
    throw CompoundFileError(cf.directory_fault_.value_or("the compound file has no root entry"));
  }
  const auto entry_size = [&](const ByteReader& entry) {
    // Files of 512-byte sectors may leave junk in the size's high half.
    return shift == 9 ? entry.ReadU32(120) : entry.ReadU64(120);
  };

  // The mini stream (the root entry's chain) and the mini FAT. Their faults
  // cost only the streams kept in them.
  std::optional<std::string> mini_fault;
  const ByteReader root = entry_at(0);
  cf.mini_stream_size_ = entry_size(root);
  if (cf.mini_stream_size_ > bytes.size()) {
    mini_fault = "the compound file's mini stream declares " + std::to_string(cf.mini_stream_size_) +
                 " bytes, more than the file holds";
  } else {
    const std::size_t needed = SectorsFor(cf.mini_stream_size_, shift);
    const ChainEnd end = FollowChain(cf.fat_, root.ReadU32(116), needed, file_sectors, visited, chain);
    if (end != ChainEnd::kWhole) {
      mini_fault = ChainFault(end, "mini stream chain");
    } else if (chain.size() < needed) {
      mini_fault = "the compound file's mini stream chain ends before the mini stream does";
    }
    cf.mini_stream_sectors_ = chain;
  }
  if (const ChainEnd end = FollowChain(cf.fat_, file.ReadU32(60), unbounded, file_sectors, visited, chain);
      end != ChainEnd::kWhole) {
    mini_fault = ChainFault(end, "mini FAT chain");
  }
  for (const std::uint32_t s : chain) {
    const ByteReader part(sector_bytes(s));
    for (std::size_t i = 0; i < sector_size / 4; ++i) cf.mini_fat_.push_back(part.U32(4 * i).value_or(kNoStream));
  }

  // The root's child tree (red-black, walked as a plain binary tree); each
  // entry is visited once, so a tree that loops ends.
  std::vector<bool> seen(entry_count, false);
  std::vector<std::size_t> stream_indices;
  std::vector<std::uint32_t> pending = {root.ReadU32(76)};
  while (!pending.empty()) {
    const std::uint32_t i = pending.back();
    pending.pop_back();
    if (i == kNoStream) continue;
    if (i >= entry_count || seen[i]) {
      if (!cf.directory_fault_) {
        cf.directory_fault_ = i >= entry_count
                                  ? "the compound file's directory points to entry " + std::to_string(i) +
                                        " outside the directory"
                                  : "the compound file's directory tree loops at entry " + std::to_string(i);
      }
      continue;
    }
    seen[i] = true;
    const ByteReader entry = entry_at(i);
    const std::uint8_t type = entry.ReadU8(66);
    if (type == kStreamType) stream_indices.push_back(i);
    if (type == kStreamType || type == kStorageType) {
      pending.push_back(entry.ReadU32(68));
      pending.push_back(entry.ReadU32(72));
    }
  }
  std::sort(stream_indices.begin(), stream_indices.end());

  // Each stream's chain is followed once now, so that its fault is known
  // before anything is read. In a sound file no two streams share a sector:
  // once the chains claim more sectors than the file holds, the rest fail
  // rather than walk the same sectors again.
  std::size_t regular_left = file_sectors;
  std::size_t mini_left = SectorsFor(cf.mini_stream_size_, kMiniSectorShift);
  Visited mini_visited(cf.mini_fat_.size());
  for (const std::size_t i : stream_indices) {
    const ByteReader entry = entry_at(i);
    StreamEntry stream;
    stream.name = EntryName(entry);
    stream.start_sector = entry.ReadU32(116);
    stream.size = entry_size(entry);
    stream.in_mini_stream = stream.size < kMiniStreamCutoff;
    const std::string kind = stream.in_mini_stream ? "mini FAT chain" : "FAT chain";
    const unsigned unit = stream.in_mini_stream ? kMiniSectorShift : shift;
    const std::size_t needed = SectorsFor(stream.size, unit);
    if (stream.size > bytes.size()) {
      stream.fault = "the compound file's stream " + stream.name + " declares " + std::to_string(stream.size) +
                     " bytes, more than the file holds";
    } else if (stream.in_mini_stream && mini_fault && stream.size > 0) {
      stream.fault = *mini_fault;
    } else if (needed > (stream.in_mini_stream ? mini_left : regular_left)) {
      stream.fault = "the compound file's streams claim more sectors than it holds, stream " + stream.name +
                     " among them";
    } else {
      (stream.in_mini_stream ? mini_left : regular_left) -= needed;
      const ChainEnd end =
          stream.in_mini_stream
              ? FollowChain(cf.mini_fat_, stream.start_sector, needed,
                            SectorsFor(cf.mini_stream_size_, kMiniSectorShift), mini_visited, chain)
              : FollowChain(cf.fat_, stream.start_sector, needed, file_sectors, visited, chain);
      if (end != ChainEnd::kWhole) {
        stream.fault = ChainFault(end, kind + " of stream " + stream.name);
      } else if (chain.size() < needed) {
        stream.fault = "the compound file's " + kind + " of stream " + stream.name + " ends before the stream";
      } else {
        // Only the file's last sector may be partial; the stream may not need all of it.
        for (std::size_t k = 0; k < needed; ++k) {
          const std::uint64_t want = std::min<std::uint64_t>(std::uint64_t{1} << unit, stream.size - (std::uint64_t{k} << unit));
          if (cf.Part(stream.in_mini_stream, chain[k], static_cast<std::size_t>(want)).size() < want) {
            stream.fault = "the compound file is cut short inside stream " + stream.name;
            break;
          }
        }
      }
    }
    cf.streams_.push_back(std::move(stream));
  }
  return cf;
}

std::span<const std::uint8_t> CompoundFile::Part(bool mini, std::uint32_t sector, std::size_t want) const {
  const ByteReader file(bytes_);
  if (!mini) return file.Slice((std::size_t{sector} + 1) << sector_shift_, want);
  // A mini sector lies in the mini stream, itself a chain of sectors.
  const std::uint64_t at = std::uint64_t{sector} << kMiniSectorShift;
  const std::size_t host_index = static_cast<std::size_t>(at >> sector_shift_);
  if (host_index >= mini_stream_sectors_.size()) return {};
  const std::size_t within = static_cast<std::size_t>(at & ((std::uint64_t{1} << sector_shift_) - 1));
  return file.Slice(((std::size_t{mini_stream_sectors_[host_index]} + 1) << sector_shift_) + within, want);
}

const StreamEntry* CompoundFile::Find(std::string_view name) const {
  for (const StreamEntry& stream : streams_) {
    if (stream.name == name) return &stream;
  }
  return nullptr;
}

void CompoundFile::Read(const StreamEntry& stream, std::vector<std::uint8_t>& into) const {
  into.clear();
  if (stream.fault) throw CompoundFileError(*stream.fault);
  if (stream.size == 0) return;
  const unsigned unit = stream.in_mini_stream ? kMiniSectorShift : sector_shift_;
  const std::size_t needed = SectorsFor(stream.size, unit);
  const auto& table = stream.in_mini_stream ? mini_fat_ : fat_;
  into.reserve(static_cast<std::size_t>(stream.size));
  // Open checked the chain: it holds `needed` sectors, none repeated, all in
  // the file or the mini stream.
  std::uint32_t s = stream.start_sector;
  for (std::size_t k = 0; k < needed; ++k, s = table[s]) {
    const std::size_t want = std::min<std::size_t>(std::size_t{1} << unit, stream.size - into.size());
    const std::span<const std::uint8_t> part = Part(stream.in_mini_stream, s, want);
    if (part.size() < want) throw CompoundFileError("the compound file is cut short inside stream " + stream.name);
    into.insert(into.end(), part.begin(), part.end());
  }
}

}  // namespace varnlink::lnk
