#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace varnlink::lnk {

// A compound file that cannot be read, or a stream of one whose sectors do
// not hold together. The message names the cause ("the compound file's FAT
// chain of stream 1f loops") and not the file; the caller names the file.
class CompoundFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A stream of the compound file's root storage.
struct StreamEntry {
  std::string name;  // as stored (UTF-8), e.g. "1f", "DestList"
  std::uint64_t size = 0;
  std::uint32_t start_sector = 0;
  bool in_mini_stream = false;  // below the cutoff: in 64-byte mini sectors
  // Why the stream's bytes cannot be read (a chain that loops or leaves the
  // file, a size larger than the file); nullopt when they can.
  std::optional<std::string> fault;
};

// A small, strict reader of the OLE2 compound file format (structured
// storage) over bytes held by the caller, for jump lists. It checks every
// sector chain for bounds and loops and every size against the file, so
// that its memory stays bounded by the file and no input makes it loop. It
// lists the streams directly under the root storage (jump lists keep nothing
// deeper) and does not write.
class CompoundFile {
 public:
  // Reads the header, FAT, mini FAT and directory of `bytes`, which must
  // outlive the object. Throws CompoundFileError when those cannot be read;
  // a fault of a single stream is left in its entry instead.
  [[nodiscard]] static CompoundFile Open(std::span<const std::uint8_t> bytes);

  // The root storage's streams in directory order.
  [[nodiscard]] const std::vector<StreamEntry>& Streams() const { return streams_; }
  // The stream of that name (exact match); nullptr when there is none.
  [[nodiscard]] const StreamEntry* Find(std::string_view name) const;
  // A fault of the directory that cost streams (an entry pointing outside the
  // directory, a tree that loops); nullopt when the whole tree was walked.
  [[nodiscard]] const std::optional<std::string>& DirectoryFault() const { return directory_fault_; }

  // Replaces `into` with the stream's bytes (a buffer the caller reuses, so
  // that one stream at a time is held). Throws CompoundFileError with the
  // entry's fault when it has one.
  void Read(const StreamEntry& stream, std::vector<std::uint8_t>& into) const;

 private:
  explicit CompoundFile(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  // Up to `want` bytes of a sector (a mini sector when `mini`), fewer where
  // the file ends.
  [[nodiscard]] std::span<const std::uint8_t> Part(bool mini, std::uint32_t sector, std::size_t want) const;

  std::span<const std::uint8_t> bytes_;
  unsigned sector_shift_ = 9;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> mini_fat_;
  std::vector<std::uint32_t> mini_stream_sectors_;  // the root entry's chain
  std::uint64_t mini_stream_size_ = 0;
  std::vector<StreamEntry> streams_;
  std::optional<std::string> directory_fault_;

};

}  // namespace varnlink::lnk
