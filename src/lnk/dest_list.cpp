#include "lnk/dest_list.h"

#include <cstdio>

#include "lnk/byte_reader.h"
#include "lnk/guid.h"
#include "text/utf16.h"
#include "text/windows1252.h"

namespace varnlink::lnk {
namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kHostNameAt = 72;
constexpr std::size_t kHostNameSize = 16;
// Version 1 keeps the path's length at 112; later versions add an unknown
// field, the access count and 8 more bytes before it, and a trailing size.
constexpr std::size_t kVersion1PathAt = 112;
constexpr std::size_t kLaterPathAt = 128;

// Reads the entry at the start of `rest` and returns its size.
std::size_t ReadEntry(const ByteReader& rest, std::uint32_t version, DestListEntry& entry) {
  entry.droid_volume = GuidText(rest, 8);
  entry.droid_file = GuidText(rest, 24);
  entry.birth_droid_volume = GuidText(rest, 40);
  entry.birth_droid_file = GuidText(rest, 56);
  const ByteReader host = rest.Sub(kHostNameAt, kHostNameSize);
  const std::size_t host_end = host.FindNul(0, kHostNameSize).value_or(kHostNameSize);
  const auto host_bytes = host.bytes().first(host_end);
  entry.hostname = text::Windows1252ToUtf8(
      std::string_view(reinterpret_cast<const char*>(host_bytes.data()), host_bytes.size()));
  entry.entry_number = rest.ReadU32(88);
  entry.last_used = platform::FileTime{rest.ReadU64(100)};
  entry.pin_status = static_cast<std::int32_t>(rest.ReadU32(108));
  const std::size_t length_at = version == 1 ? kVersion1PathAt : kLaterPathAt;
  if (version != 1) entry.access_count = rest.ReadU32(116);
  const std::size_t path_bytes = 2 * std::size_t{rest.ReadU16(length_at)};
  entry.path = text::Utf16LeToUtf8(rest.Sub(length_at + 2, path_bytes).bytes());
  std::size_t end = length_at + 2 + path_bytes;
  if (version != 1) {
    // A trailing size: that many bytes (a property store) follow it.
    const std::uint32_t trailing = rest.ReadU32(end);
    end += 4;
    if (!rest.Contains(end, trailing)) throw RecordError();
    end += trailing;
  }
  return end;
}

}  // namespace

std::string DestListEntry::StreamName() const {
  char text[9];
  std::snprintf(text, sizeof text, "%x", entry_number);
  return text;
}

DestList ReadDestList(std::span<const std::uint8_t> bytes) {
  DestList list;
  if (bytes.empty()) return list;
  const ByteReader stream(bytes);
  if (bytes.size() < kHeaderSize) {
    list.error = "the DestList is cut short inside its header (" + std::to_string(bytes.size()) + " bytes)";
    return list;
  }
  list.version = stream.ReadU32(0);
  list.declared_entries = stream.ReadU32(4);
  if (list.version < 1 || list.version > 6 || list.version == 5) {
    list.error = "the DestList has version " + std::to_string(list.version) + ", whose layout is not known";
    return list;
  }
  // Entries until the stream ends; each at least a fixed part long, so their
  // number stays bounded by the stream.
  for (std::size_t pos = kHeaderSize; pos < bytes.size();) {
    DestListEntry entry;
    entry.mru_position = list.entries.size();
    try {
      pos += ReadEntry(stream.From(pos), list.version, entry);
    } catch (const RecordError&) {
      list.error = "the DestList ends inside entry " + std::to_string(list.entries.size() + 1) + " of " +
                   std::to_string(list.declared_entries);
      return list;
    }
    list.entries.push_back(std::move(entry));
  }
  if (list.entries.size() != list.declared_entries) {
    list.error = "the DestList holds " + std::to_string(list.entries.size()) + " entries but declares " +
                 std::to_string(list.declared_entries);
  }
  return list;
}

}  // namespace varnlink::lnk
