#pragma once

#include <string_view>

#include "lnk/byte_reader.h"
#include "lnk/shortcut_info.h"
#include "text/text_decoder.h"

namespace varnlink::lnk {

// Reads the shell items of a link's ID list (the items after the list's own
// 16-bit size): what each item is, the names of its file entries, and the
// parsing name the whole list gives, which a user can paste into Run:
//
//   the computer, a volume, file entries     C:\dir\file (long names)
//   the computer, Control Panel, a CPL file  the .cpl file's path
//   the computer, a registered folder        ::{20D04FE0-...}\::{CLSID}
//   the user's files, a known-folder view    ::{59031A47-...}\{KNOWNFOLDERID}
//   control-panel categories, a category     ::{26EE0668-...}\N, then \::{CLSID}
//     and optionally a control-panel item      of the item
//   the Internet, a URI                      the URI
//   games, a game                            ::{ED228FDF-...}\{GameID}
//   applications, an apps item               shell:AppsFolder\<app user model id>
//   a root folder alone                      ::{CLSID}
//
// Only the whole list names a target: a list with more or other items names
// none, never half a path. It does not decide between the list and the link's
// other records; the link reader does.
//
// Never throws: a list whose items do not hold together (an item running
// past the list, a size below 2, a name without its terminator, an extension
// offset outside its item, apps-item properties whose sizes do not add up)
// gives holds_together false and nothing else.
// With Detail::kRecord it describes every item besides (items, properties),
// also those of a list that does not hold together.
[[nodiscard]] IdListInfo ReadIdList(const ByteReader& items, const text::TextDecoder& decoder,
                                    Detail detail);

// The parsing name of an ID list holding the computer root alone.
inline constexpr std::string_view kComputerParsingName = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

}  // namespace varnlink::lnk
