#pragma once

#include <optional>
#include <string_view>

namespace varnlink::lnk {

// The program a jump list belongs to, by its AppID: the hexadecimal first
// part of the jump list's file name ("5f7b5f1e01b83767"), which Windows
// derives from the program's path or its application user model id. Only
// well-known ones are listed; nullopt for any other (the caller then shows
// the AppID itself). Case and leading zeros do not matter.
[[nodiscard]] std::optional<std::string_view> AppName(std::string_view app_id);

}  // namespace varnlink::lnk
