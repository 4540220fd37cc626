#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lnk/byte_reader.h"
#include "lnk/shortcut_info.h"
#include "text/text_decoder.h"

namespace varnlink::lnk {

inline constexpr std::uint32_t kEnvironmentBlock = 0xA0000001;
inline constexpr std::uint32_t kConsoleCodePageBlock = 0xA0000004;

// Calls `visit` with each extra-data block's signature and its bytes (size
// and signature included, positions counting from the block's start), in
// file order, until a block size below 4, a block that cannot hold its
// signature, or `visit` returning false. A block whose size reaches past the
// end of the file is handed over cut at the end, and is the last one.
void ForEachExtraBlock(
    const ByteReader& extra,
    const std::function<bool(std::uint32_t signature, const ByteReader& block)>& visit);

// Where the first extra-data block that reaches past the end of `extra` ends
// as its size declares (counted from the start of `extra`); nullopt when every
// block fits. The list may end with the terminal block, or without it right
// after a complete block. One to three bytes left where a block's size would
// start: when all zero, the terminal block lost its last bytes and nothing is
// missing; otherwise a block's size is cut, and the block ends at least where
// its size would.
[[nodiscard]] std::optional<std::size_t> CutExtraBlockEnd(const ByteReader& extra);

// Where the terminal block (a size below 4) ends, counted from the start of
// `extra`; nullopt when the list has none whole.
[[nodiscard]] std::optional<std::size_t> TerminalBlockEnd(const ByteReader& extra);

// What the extra data holds that the audit uses.
struct ExtraData {
  // The environment-variables block's halves; nullopt when there is no such
  // block or it is too short.
  std::optional<EnvironmentHalves> environment;
  std::optional<std::string> environment_ansi_bytes;  // the ANSI half's bytes
  // The app user model id of the property-store block; nullopt when there is
  // none or the block's sizes do not add up.
  std::optional<std::string> app_id;
  // Every property of the property-store block, as far as it can be read
  // (Detail::kRecord).
  std::optional<std::vector<Property>> properties;
  // The console code-page block's code page (the console's OEM page).
  std::optional<std::uint32_t> console_code_page;
};

// The signatures of the extra-data blocks and what the tracker, known-folder,
// special-folder, Darwin and shim blocks hold; never throws.
[[nodiscard]] ExtraBlocks ReadExtraBlocks(const ByteReader& extra);

// An MSI descriptor's product, feature and component: the product's
// compressed GUID (20 characters), the feature's name, then '>' and the
// component's compressed GUID, or '<' alone. nullopt for another shape.
[[nodiscard]] std::optional<DarwinData> DecodeDarwinDescriptor(std::string_view descriptor);

// Reads the first environment-variables, property-store and console code-page blocks.
[[nodiscard]] ExtraData ReadExtraData(const ByteReader& extra, const text::TextDecoder& decoder,
                                      Detail detail);

}  // namespace varnlink::lnk
