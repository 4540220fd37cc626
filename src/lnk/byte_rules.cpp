#include "lnk/byte_rules.h"

#include <array>
#include <cstdint>

#include "lnk/counted_strings.h"
#include "lnk/link_header.h"
#include "lnk/shortcut_decoder.h"

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

// The file's bytes and the one blank the rules read after them.
class BlankEnded {
 public:
  explicit BlankEnded(const ByteReader& file) : file_(file) {}

  [[nodiscard]] std::optional<std::uint8_t> U8(std::size_t pos) const {
    if (pos == file_.size()) return ' ';
    return file_.U8(pos);
  }
  [[nodiscard]] std::optional<std::uint16_t> U16(std::size_t pos) const {
    const auto low = U8(pos);
    const auto high = pos < file_.size() ? U8(pos + 1) : std::nullopt;
    if (!low || !high) return std::nullopt;
    return static_cast<std::uint16_t>(*low | (*high << 8));
  }
  // The bytes of `place`, cut after the blank.
  [[nodiscard]] std::string Bytes(StringPlace place) const {
    const auto bytes = file_.Slice(place.start, place.length);
    std::string text(bytes.begin(), bytes.end());
    if (place.start <= file_.size() && place.length > file_.size() - place.start) text += ' ';
    return text;
  }

 private:
  const ByteReader& file_;
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

ShortcutInfo ReadByByteRules(const ByteReader& file, const text::TextDecoder& decoder) {
  const BlankEnded buffer(file);
  ShortcutInfo info;
  const auto flags = buffer.U8(kFlagsByte);
  if (!flags) {
    throw DecodeError("not a shortcut: the file is only " + std::to_string(file.size()) +
                      " bytes long");
  }
  info.link_flags = *flags;
  const auto found = FindTarget(file);
  if (!found) throw DecodeError("not a shortcut: no NUL byte ends its target");
  const auto target = file.Slice(found->start, found->end - found->start);
  info.target = AnsiText(target, decoder);
  info.ansi_bytes.target = KeptBytes(AsChars(target));
  info.target_source = TargetSource::kByteRules;

  // One string always stands before the working folder, and the description
  // before that when the flags say so. The icon string is read whether the
  // flags name one or not.
  CountedStrings strings(buffer, found->end + 2, 1);
  const auto read = [&](std::optional<std::string>* text, std::optional<std::string>* bytes,
                        bool strict) {
    const auto place = strings.Next(strict);
    if (!place) {
      info.strings_end_early_at = strings.Position();
      return false;
    }
    if (text != nullptr) {
      const std::string read_bytes = buffer.Bytes(*place);
      *text = decoder.AnsiToUtf8(read_bytes);
      *bytes = KeptBytes(read_bytes);
    }
    return true;
  };
  AnsiBytes& raw = info.ansi_bytes;
  if (!read(nullptr, nullptr, true)) return info;
  if ((info.link_flags & kHasName) && !read(&info.description, &raw.description, true)) {
    return info;
  }
  if (info.link_flags & kHasWorkingDir) (void)read(&info.start_in, &raw.start_in, false);
  if (info.link_flags & kHasArguments) (void)read(&info.arguments, &raw.arguments, false);
  std::optional<std::string> icon;
  std::optional<std::string> icon_bytes;
  (void)read(&icon, &icon_bytes, false);
  if (info.link_flags & kHasIconLocation) {
    info.icon_location = std::move(icon);
    raw.icon_location = std::move(icon_bytes);
  }

  // The hot key is always Ctrl + Alt and the key byte as a character; a file
  // that ends before byte 64 has no key byte to show.
  const auto key = buffer.U8(kHotKeyByte);
  if (!key || *key != 0) {
    HotKey hot_key{kCtrl | kAlt, std::nullopt};
    if (key) hot_key.key = decoder.AnsiToUtf8(std::string(1, static_cast<char>(*key)));
    info.hot_key = std::move(hot_key);
  }
  info.run = RunModeOf(buffer.U8(kShowCommandByte));
  return info;
}

}  // namespace varnlink::lnk
