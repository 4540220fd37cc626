// Fuzz target: both jump list readers on the same bytes (an automatic list's
// compound file and DestList, a custom list's categories), then the decoder
// on every shortcut they hand out. Besides the sanitizers' findings it checks
// what every caller relies on: the readers never throw; an entry with an
// error gets no bytes and one without gets exactly its size; a stream that
// cannot be read is the list's error; a custom list's
// shortcuts lie inside the file, one after another.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "lnk/app_ids.h"
#include "lnk/jump_list.h"
#include "lnk/shortcut_decoder.h"
#include "text/text_decoder.h"

namespace {

void Check(const varnlink::lnk::JumpList& list, bool custom) {
  const varnlink::text::Windows1252Decoder ansi;
  std::size_t visited = 0;
  std::size_t custom_end = 0;
  list.ForEachShortcut([&](const varnlink::lnk::JumpListEntry& entry, std::span<const std::uint8_t> link) {
    ++visited;
    VARNLINK_FUZZ_CHECK(entry.error ? link.empty() : link.size() == entry.size, "an entry's bytes are its size");
    VARNLINK_FUZZ_CHECK(!entry.error || *entry.error == "no shortcut stream for this entry" || list.error,
                        "a stream that cannot be read is the list's error too");
    if (custom) {
      VARNLINK_FUZZ_CHECK(entry.offset >= custom_end + 16 && entry.offset + entry.size <= list.bytes.size(),
                          "custom shortcuts lie in the file, one after another");
      custom_end = entry.offset + static_cast<std::size_t>(entry.size);
      VARNLINK_FUZZ_CHECK(entry.stream == std::to_string(visited - 1), "custom streams count from 0");
    }
    try {
      (void)varnlink::lnk::Decode(link, ansi);
    } catch (const varnlink::lnk::DecodeError&) {
    }
  });
  VARNLINK_FUZZ_CHECK(visited == list.entries.size(), "every entry is visited");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  Check(varnlink::lnk::ReadAutomaticDestinations(bytes), false);
  Check(varnlink::lnk::ReadCustomDestinations(bytes), true);
  (void)varnlink::lnk::AppName(std::string(reinterpret_cast<const char*>(data), size < 20 ? size : 20));
  return 0;
}
