#include "lnk/extra_data.h"

#include <algorithm>
#include <array>

#include "lnk/guid.h"
#include "lnk/link_header.h"
#include "lnk/property_store.h"
#include "text/report_text.h"

namespace varnlink::lnk {
namespace {

constexpr std::size_t kEnvironmentBlockSize = 0x314;
constexpr std::uint32_t kTrackerBlock = 0xA0000003;
constexpr std::uint32_t kSpecialFolderBlock = 0xA0000005;
constexpr std::uint32_t kDarwinBlock = 0xA0000006;
constexpr std::uint32_t kShimBlock = 0xA0000008;
constexpr std::uint32_t kKnownFolderBlock = 0xA000000B;
constexpr std::size_t kTrackerBlockSize = 0x60;
constexpr std::size_t kSpecialFolderBlockSize = 0x10;
constexpr std::size_t kDarwinBlockSize = 0x314;
constexpr std::size_t kShimBlockMinSize = 0x88;
constexpr std::size_t kKnownFolderBlockSize = 0x1C;
constexpr std::size_t kConsoleCodePageBlockSize = 0xC;

// 100-ns intervals from the UUID epoch, 1582-10-15, to 1601-01-01.
constexpr std::uint64_t kUuidTicksTo1601 = 5'748'192'000'000'000ULL;
constexpr std::size_t kEnvironmentAnsiBytes = 260;

// A string field of a fixed-size block: up to its first NUL, or all of it.
std::span<const std::uint8_t> FixedString(const ByteReader& block, std::size_t start,
                                          std::size_t length, bool unicode) {
  const std::size_t end = std::min(start + length, block.size());
  const auto nul = unicode ? block.FindNul16(start, end) : block.FindNul(start, end);
  return block.Slice(start, (nul ? *nul : end) - start);
}

// The environment-variables block's halves: 260 ANSI bytes, then 260 UTF-16
// units; and the ANSI half's bytes.
void ReadEnvironment(const ByteReader& block, const text::TextDecoder& decoder, ExtraData& data) {
  const std::size_t ansi = 8;
  const std::size_t wide = ansi + kEnvironmentAnsiBytes;
  const auto ansi_bytes = FixedString(block, ansi, kEnvironmentAnsiBytes, false);
  data.environment = {AnsiText(ansi_bytes, decoder),
                      text::Utf16LeToUtf8(FixedString(block, wide, 2 * kEnvironmentAnsiBytes, true))};
  data.environment_ansi_bytes = KeptBytes(AsChars(ansi_bytes));
}

// The property-store block's app user model id; a property store that does
// not hold together names no app.
std::optional<std::string> PropertyStoreAppId(const ByteReader& block) {
  try {
    return AppUserModelId(block.From(8));
  } catch (const RecordError&) {
    return std::nullopt;
  }
}

TrackerData ReadTracker(const ByteReader& block) {
  TrackerData tracker;
  tracker.machine_id = std::string(AsChars(FixedString(block, 16, 16, false)));
  tracker.droid_volume = GuidText(block, 32);
  tracker.droid_file = GuidText(block, 48);
  tracker.birth_droid_volume = GuidText(block, 64);
  tracker.birth_droid_file = GuidText(block, 80);
  // A version-1 UUID: version 1 in the top bits of its third field, the RFC
  // 4122 variant (10 in the top bits of byte 8); the time counts 100 ns from
  // 1582-10-15, the node is the MAC address.
  const std::uint16_t time_high = block.ReadU16(48 + 6);
  if ((time_high >> 12) == 1 && (block.ReadU8(48 + 8) & 0xC0) == 0x80) {
    std::array<std::uint8_t, 6> node{};
    for (std::size_t i = 0; i < node.size(); ++i) node[i] = block.ReadU8(48 + 10 + i);
    tracker.mac = node;
    const std::uint64_t ticks = (std::uint64_t{time_high & 0x0FFFu} << 48) |
                                (std::uint64_t{block.ReadU16(48 + 4)} << 32) | block.ReadU32(48);
    if (ticks >= kUuidTicksTo1601)
      tracker.droid_time = platform::FileTime{ticks - kUuidTicksTo1601};
  }
  return tracker;
}

DarwinData ReadDarwin(const ByteReader& block) {
  std::string descriptor = text::Utf16LeToUtf8(FixedString(block, 8 + 260, 520, true));
  if (descriptor.empty()) descriptor = std::string(AsChars(FixedString(block, 8, 260, false)));
  if (auto decoded = DecodeDarwinDescriptor(descriptor)) return std::move(*decoded);
  return DarwinData{std::move(descriptor), std::nullopt, std::nullopt, std::nullopt};
}

// The value of one character of an MSI compressed GUID: 85 printable ASCII
// characters without " # / : ; < > \ |, in ASCII order; -1 for others.
int Base85Digit(char c) {
  constexpr std::string_view kDigits =
      "!$%&'()*+,-.0123456789=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{}~";
  const auto at = kDigits.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// An MSI compressed GUID: four groups of five digits, each a 32-bit value
// least significant digit first, the groups the GUID's 16 bytes in order.
std::optional<std::string> CompressedGuid(std::string_view text) {
  if (text.size() != 20) return std::nullopt;
  std::array<std::uint8_t, 16> bytes{};
  for (std::size_t group = 0; group < 4; ++group) {
    std::uint64_t value = 0;
    for (std::size_t i = 5; i-- > 0;) {
      const int digit = Base85Digit(text[group * 5 + i]);
      if (digit < 0) return std::nullopt;
      value = value * 85 + static_cast<std::uint64_t>(digit);
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i)
      bytes[group * 4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  return GuidText(ByteReader(bytes), 0);
}

}  // namespace

std::optional<DarwinData> DecodeDarwinDescriptor(std::string_view descriptor) {
  if (descriptor.size() < 21) return std::nullopt;
  auto product = CompressedGuid(descriptor.substr(0, 20));
  const std::string_view rest = descriptor.substr(20);
  const auto mark = rest.find_first_of("<>");
  if (!product || mark == std::string_view::npos) return std::nullopt;
  std::optional<std::string> component;
  if (rest[mark] == '>') {
    component = CompressedGuid(rest.substr(mark + 1));
    if (!component) return std::nullopt;
  } else if (mark + 1 != rest.size()) {
    return std::nullopt;
  }
  return DarwinData{std::string(descriptor), std::move(product), std::string(rest.substr(0, mark)),
                    std::move(component)};
}

ExtraBlocks ReadExtraBlocks(const ByteReader& extra) {
  ExtraBlocks blocks;
  bool tracker_seen = false, known_seen = false, special_seen = false, darwin_seen = false,
       shim_seen = false;
  // Each block's fields, or nothing when its size does not match its kind.
  const auto read = [](bool& seen, bool fits, auto&& take) {
    if (seen) return;
    seen = true;
    if (!fits) return;
    try {
      take();
    } catch (const RecordError&) {
    }
  };
  std::size_t pos = 0;
  while (const auto size = extra.U32(pos)) {
    if (*size < 4) {
      blocks.terminal_end = pos + 4;
      break;
    }
    if (*size < 8 || *size > extra.size() - pos) break;
    const std::uint32_t signature = extra.ReadU32(pos + 4);
    blocks.signatures.push_back(signature);
    const ByteReader block = extra.Sub(pos, *size);
    switch (signature) {
      case kTrackerBlock:
        read(tracker_seen, *size == kTrackerBlockSize,
             [&] { blocks.tracker = ReadTracker(block); });
        break;
      case kKnownFolderBlock:
        read(known_seen, *size == kKnownFolderBlockSize,
             [&] { blocks.known_folder = GuidText(block, 8); });
        break;
      case kSpecialFolderBlock:
        read(special_seen, *size == kSpecialFolderBlockSize,
             [&] { blocks.special_folder = block.ReadU32(8); });
        break;
      case kDarwinBlock:
        read(darwin_seen, *size == kDarwinBlockSize, [&] { blocks.darwin = ReadDarwin(block); });
        break;
      case kShimBlock:
        read(shim_seen, *size >= kShimBlockMinSize, [&] {
          blocks.shim_layer = text::Utf16LeToUtf8(FixedString(block, 8, *size - 8, true));
        });
        break;
      default:
        break;
    }
    pos += *size;
  }
  return blocks;
}

void ForEachExtraBlock(const ByteReader& extra,
                       const std::function<bool(std::uint32_t, const ByteReader&)>& visit) {
  std::size_t pos = 0;
  while (true) {
    const auto block_size = extra.U32(pos);
    if (!block_size || *block_size < 4) return;
    const auto signature = extra.U32(pos + 4);
    if (!signature) return;
    const std::size_t left = extra.size() - pos;
    if (!visit(*signature, extra.Sub(pos, std::min<std::size_t>(*block_size, left)))) return;
    if (*block_size > left) return;
    pos += *block_size;
  }
}

std::optional<std::size_t> CutExtraBlockEnd(const ByteReader& extra) {
  std::size_t pos = 0;
  while (pos < extra.size()) {
    const auto block_size = extra.U32(pos);
    if (!block_size) {
      const auto rest = extra.Slice(pos, 4);
      if (std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == 0; })) {
        return std::nullopt;
      }
      return pos + 4;
    }
    if (*block_size < 4) return std::nullopt;  // the terminal block
    if (*block_size > extra.size() - pos) return pos + *block_size;
    pos += *block_size;
  }
  return std::nullopt;
}

std::optional<std::size_t> TerminalBlockEnd(const ByteReader& extra) {
  std::size_t pos = 0;
  while (const auto block_size = extra.U32(pos)) {
    if (*block_size < 4) return pos + 4;
    if (*block_size > extra.size() - pos) return std::nullopt;
    pos += *block_size;
  }
  return std::nullopt;
}

ExtraData ReadExtraData(const ByteReader& extra, const text::TextDecoder& decoder,
                        Detail detail) {
  ExtraData data;
  bool environment_seen = false;
  bool property_store_seen = false;
  bool console_seen = false;
  ForEachExtraBlock(extra, [&](std::uint32_t signature, const ByteReader& block) {
    if (signature == kEnvironmentBlock && !environment_seen &&
        block.size() >= kEnvironmentBlockSize) {
      environment_seen = true;
      ReadEnvironment(block, decoder, data);
    } else if (signature == kPropertyStoreBlock && !property_store_seen) {
      property_store_seen = true;
      data.app_id = PropertyStoreAppId(block);
      if (detail == Detail::kRecord) data.properties = ReadProperties(block.From(8));
    } else if (signature == kConsoleCodePageBlock && !console_seen) {
      console_seen = true;
      // The block is 12 bytes: size, signature, page; another size gives no page.
      if (block.size() == kConsoleCodePageBlockSize) data.console_code_page = block.U32(8);
    }
    return !(environment_seen && property_store_seen && console_seen);
  });
  return data;
}

}  // namespace varnlink::lnk
