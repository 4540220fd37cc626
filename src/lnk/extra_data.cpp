#include "lnk/extra_data.h"

#include <algorithm>

#include "lnk/link_header.h"
#include "lnk/property_store.h"
#include "text/report_text.h"

namespace varnlink::lnk {
namespace {

constexpr std::size_t kEnvironmentBlockSize = 0x314;
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

}  // namespace

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

ExtraData ReadExtraData(const ByteReader& extra, const text::TextDecoder& decoder) {
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
    } else if (signature == kConsoleCodePageBlock && !console_seen) {
      console_seen = true;
      data.console_code_page = block.U32(8);  // the block is 12 bytes: size, signature, page
    }
    return !(environment_seen && property_store_seen && console_seen);
  });
  return data;
}

}  // namespace varnlink::lnk
