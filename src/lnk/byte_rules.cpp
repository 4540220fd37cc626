#include "lnk/byte_rules.h"

#include <array>
#include <cstdint>

#include "lnk/counted_strings.h"
#include "lnk/link_header.h"
#include "platform/error.h"

namespace varnlink::lnk {
namespace {

// The volume record's label offset (16) followed by an empty label, and the
// offset alone.
constexpr std::array<std::uint8_t, 5> kEmptyLabelPattern = {0x10, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<std::uint8_t, 4> kLabelOffsetPattern = {0x10, 0x00, 0x00, 0x00};

struct TargetSpan {
  std::size_t start = 0;
  std::size_t end = 0;  // position of the NUL that ends the target
};

std::optional<TargetSpan> FindTarget(const ByteReader& buffer) {
  std::size_t start = 0;
  if (const auto a = buffer.Find(kEmptyLabelPattern, 0)) {
    start = *a + kEmptyLabelPattern.size();
  } else {
    // Past the label: the target starts after the first NUL that follows the
    // pattern (or byte 3 when there is no pattern), else at the file's start.
    const auto b = buffer.Find(kLabelOffsetPattern, 0);
    const std::size_t from = b ? *b + kLabelOffsetPattern.size() : 3;
    const auto nul = buffer.FindNul(from, buffer.size());
    start = nul ? *nul + 1 : 0;
  }
  const auto end = buffer.FindNul(start, buffer.size());
  if (!end) return std::nullopt;
  return TargetSpan{start, *end};
}

}  // namespace

ShortcutInfo ReadByByteRules(const ByteReader& buffer, const std::string& path,
                             const platform::FileServices& files) {
  const auto ansi = [&](std::span<const std::uint8_t> bytes) { return AnsiText(bytes, files); };
  ShortcutInfo info;
  const auto flags = buffer.U8(kFlagsByte);
  if (!flags) {
    throw platform::Error(path + ": not a shortcut: the file is only " +
                          std::to_string(buffer.size() - 1) + " bytes long");
  }
  info.link_flags = *flags;
  const auto found = FindTarget(buffer);
  if (!found) throw platform::Error(path + ": not a shortcut: no NUL byte ends its target");
  info.target = ansi(buffer.Slice(found->start, found->end - found->start));
  info.target_source = TargetSource::kByteRules;

  // One string always stands before the working folder, and the description
  // before that when the flags say so. The icon string is read whether the
  // flags name one or not.
  CountedStrings strings(buffer, found->end + 2, 1);
  const auto strict = [&](std::optional<std::string>* into) {
    const auto bytes = strings.Next(true);
    if (!bytes) {
      info.strings_end_early_at = strings.Position();
      return false;
    }
    if (into != nullptr) *into = ansi(*bytes);
    return true;
  };
  if (!strict(nullptr)) return info;
  if ((info.link_flags & kHasName) && !strict(&info.description)) return info;
  if (info.link_flags & kHasWorkingDir) info.start_in = ansi(*strings.Next(false));
  if (info.link_flags & kHasArguments) info.arguments = ansi(*strings.Next(false));
  std::string icon = ansi(*strings.Next(false));
  if (info.link_flags & kHasIconLocation) info.icon_location = std::move(icon);

  // The hot key is always Ctrl + Alt and the key byte as a character; a file
  // that ends before byte 64 has no key byte to show.
  const auto key = buffer.U8(kHotKeyByte);
  if (!key || *key != 0) {
    HotKey hot_key{kCtrl | kAlt, std::nullopt};
    if (key) hot_key.key = ansi(std::span(&*key, 1));
    info.hot_key = std::move(hot_key);
  }
  info.run = RunModeOf(buffer.U8(kShowCommandByte));
  return info;
}

}  // namespace varnlink::lnk
