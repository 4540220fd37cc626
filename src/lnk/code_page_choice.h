#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "lnk/shortcut_info.h"

namespace varnlink::lnk {

// Whether the link holds an ANSI string with a byte above 0x7F: only such
// strings read differently in different code pages.
[[nodiscard]] bool HasAnsiText(const ShortcutInfo& info);

// The ANSI code page of a console's OEM code page (437 and 850 are 1252, 866
// is 1251, ...; the Thai and CJK pages are both); nullopt for one not known.
[[nodiscard]] std::optional<unsigned> AnsiPageOfOem(std::uint32_t oem_code_page);

// The code page to read the link's ANSI strings in: `given` when set; else
// the first of text::kAnsiCodePages in which every non-ASCII component of its
// ANSI paths (and every other non-ASCII ANSI string whole) appears among the
// link's own Unicode strings (the ID list's long names, the environment
// block's Unicode half, Unicode string data and link info); else the console
// block's page; else `system_page`. Pages the platform cannot convert are
// passed over. `info` is as read in any page: only its kept bytes are read.
[[nodiscard]] CodePageChoice ChooseCodePage(const ShortcutInfo& info, std::optional<unsigned> given,
                                            unsigned system_page);

// Decodes like Decode, with the ANSI strings in the code page ChooseCodePage
// picks; a link without non-ASCII ANSI text is read once. Throws DecodeError
// as Decode does.
[[nodiscard]] ShortcutInfo DecodeInCodePage(std::span<const std::uint8_t> bytes,
                                            std::optional<unsigned> given, unsigned system_page,
                                            Detail detail = Detail::kAudit);

}  // namespace varnlink::lnk
