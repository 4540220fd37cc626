#include "auditor/shortcut_decoder.h"

#include <span>
#include <string_view>

#include "auditor/byte_reader.h"
#include "auditor/byte_rules.h"
#include "auditor/link_structure.h"
#include "auditor/report_text.h"
#include "platform/error.h"

namespace varnlink::auditor {
namespace {

constexpr std::size_t kFlagsByte = 20;
constexpr std::size_t kShowCommandByte = 60;
constexpr std::size_t kHotKeyByte = 64;
constexpr std::size_t kHotKeyModifiersByte = 65;

constexpr std::string_view kTargetLabel = "TARGET:   ";
constexpr std::string_view kNoHotKey = "    SHORTCUT KEY:   (none)  ";
constexpr std::string_view kHotKeyLabel = "    SHORTCUT KEY:   ";
constexpr std::string_view kCtrlAlt = "Ctrl + Alt + ";

std::string Ansi(std::span<const std::uint8_t> bytes, const platform::FileServices& files) {
  return files.AnsiToUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

// The chain of counted strings: each a 16-bit count, then that many characters.
// A count that cannot be read fails when strict; when tolerant the previous
// count is used again, and a string that runs past the end is cut there.
class CountedStrings {
 public:
  CountedStrings(const ByteReader& bytes, std::size_t pos, std::size_t unit, std::int32_t& last_count,
                 const std::string& path)
      : bytes_(bytes), pos_(pos), unit_(unit), last_count_(last_count), path_(path) {}

  std::span<const std::uint8_t> Next(bool strict) {
    if (const auto count = bytes_.U16(pos_)) {
      last_count_ = *count;
    } else if (strict) {
      throw platform::Error(path_ + ": the shortcut's strings end early: the length at byte " +
                            std::to_string(pos_) + " lies past the end of the file");
    }
    const std::size_t start = pos_ + 2;
    const std::size_t length = unit_ * static_cast<std::size_t>(last_count_);
    pos_ = start + length;
    return bytes_.Slice(start, length);
  }

 private:
  const ByteReader& bytes_;
  std::size_t pos_;
  std::size_t unit_;
  std::int32_t& last_count_;
  const std::string& path_;
};

std::string RunTextOf(std::optional<std::uint8_t> show_command) {
  if (!show_command) return {};
  switch (*show_command) {
    case 1: return "    RUN:   Normal";
    case 7: return "    RUN:   Minimised";
    case 3: return "    RUN:   Maximised";
    default: return {};
  }
}

std::string KeyName(std::uint8_t key, const platform::FileServices& files) {
  if ((key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A)) {
    return std::string(1, static_cast<char>(key));
  }
  if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x6F);
  if (key == 0x90) return "Num Lock";
  if (key == 0x91) return "Scroll Lock";
  return ShownText(Ansi(std::span(&key, 1), files));
}

// The hot key of a genuine link: its modifiers, then the key's name.
std::string GenuineHotKeyText(const ByteReader& file, const platform::FileServices& files) {
  const std::uint8_t key = file.U8(kHotKeyByte).value_or(0);
  if (key == 0) return std::string(kNoHotKey);
  const std::uint8_t modifiers = file.U8(kHotKeyModifiersByte).value_or(0);
  std::string text(kHotKeyLabel);
  if (modifiers & 0x2) text += "Ctrl + ";
  if (modifiers & 0x1) text += "Shift + ";
  if (modifiers & 0x4) text += "Alt + ";
  return text + KeyName(key, files);
}

// The hot key as the byte rules read it: always "Ctrl + Alt + " and the key
// byte as a character; nothing after it when the file ends before byte 64.
std::string ByteRuleHotKeyText(const ByteReader& buffer, const platform::FileServices& files) {
  const auto key = buffer.U8(kHotKeyByte);
  if (key && *key == 0) return std::string(kNoHotKey);
  std::string text = std::string(kHotKeyLabel) + std::string(kCtrlAlt);
  if (key) text += ShownText(Ansi(std::span(&*key, 1), files));
  return text;
}

void SetFlags(ShortcutFields& fields, std::uint32_t flags) {
  fields.HasName = (flags & kHasName) != 0;
  fields.HasWorkingDir = (flags & kHasWorkingDir) != 0;
  fields.HasArguments = (flags & kHasArguments) != 0;
  fields.HasIconLocation = (flags & kHasIconLocation) != 0;
}

// Fills the texts that follow from the working folder, arguments and icon
// location read (any may be absent).
void SetStringTexts(ShortcutFields& fields, const std::optional<std::string>& working_dir,
                    const std::optional<std::string>& arguments,
                    const std::optional<std::string>& icon) {
  fields.StartInText = fields.HasWorkingDir && working_dir ? "START IN:   " + *working_dir
                                                           : std::string("START IN:    ");
  if (fields.HasArguments && arguments) fields.TargetArgsText += " " + *arguments;
  fields.IconSourceText = fields.HasIconLocation && icon ? "ICON SOURCE:    " + *icon
                                                         : "ICON SOURCE:   " + fields.Target;
}

void DecodeGenuineDetails(const std::string& path, ShortcutImage& image, ShortcutFields& fields,
                          const platform::FileServices& files) {
  const ByteReader file(std::span(image.bytes.data(), image.file_size));
  const bool unicode = (image.link_flags & kIsUnicode) != 0;
  CountedStrings strings(file, image.strings_start, unicode ? 2 : 1, image.last_count, path);
  auto text = [&](std::span<const std::uint8_t> bytes) {
    // Some writers count a string's terminating NUL into it; it is no part of
    // the text.
    const std::size_t unit = unicode ? 2 : 1;
    while (bytes.size() >= unit && bytes.size() % unit == 0 && bytes[bytes.size() - 1] == 0 &&
           bytes[bytes.size() - unit] == 0) {
      bytes = bytes.first(bytes.size() - unit);
    }
    return ShownText(unicode ? Utf16LeToUtf8(bytes) : Ansi(bytes, files));
  };

  if (image.link_flags & kHasName) (void)strings.Next(true);
  if (image.link_flags & kHasRelativePath) (void)strings.Next(true);
  // From the working folder on, a string that cannot be read is passed over.
  std::optional<std::string> working_dir, arguments, icon;
  if (fields.HasWorkingDir) working_dir = text(strings.Next(false));
  if (fields.HasArguments) arguments = text(strings.Next(false));
  if (fields.HasIconLocation) icon = text(strings.Next(false));
  SetStringTexts(fields, working_dir, arguments, icon);
  fields.ShortcutKeyText = GenuineHotKeyText(file, files);
  fields.RunText = RunTextOf(file.U8(kShowCommandByte));
}

void DecodeByteRuleDetails(const std::string& path, ShortcutImage& image, ShortcutFields& fields,
                           const platform::FileServices& files) {
  const ByteReader buffer(image.bytes);
  CountedStrings strings(buffer, image.target_end + 2, 1, image.last_count, path);
  auto text = [&](std::span<const std::uint8_t> bytes) { return ShownText(Ansi(bytes, files)); };

  (void)strings.Next(true);  // always one string before the working folder
  if (fields.HasName) (void)strings.Next(true);
  std::optional<std::string> working_dir, arguments;
  if (fields.HasWorkingDir) working_dir = text(strings.Next(false));
  if (fields.HasArguments) arguments = text(strings.Next(false));
  const std::string icon = text(strings.Next(false));  // read whether used or not
  SetStringTexts(fields, working_dir, arguments, icon);
  fields.ShortcutKeyText = ByteRuleHotKeyText(buffer, files);
  fields.RunText = RunTextOf(buffer.U8(kShowCommandByte));
}

}  // namespace

std::pair<ShortcutImage, ShortcutFields> DecodeTarget(const std::string& path,
                                                      const platform::FileServices& files) {
  return DecodeTargetFromBytes(path, files.ReadFileStart(path, kMaxShortcutBytes), files);
}

std::pair<ShortcutImage, ShortcutFields> DecodeTargetFromBytes(const std::string& path,
                                                               std::vector<std::uint8_t> bytes,
                                                               const platform::FileServices& files) {
  ShortcutImage image;
  ShortcutFields fields;
  image.file_size = bytes.size();
  image.bytes = std::move(bytes);
  image.bytes.push_back(' ');  // the end position the byte rules may look at

  std::string target;
  const ByteReader file(std::span(image.bytes.data(), image.file_size));
  if (auto layout = ReadLinkLayout(file, files)) {
    image.genuine = true;
    image.link_flags = layout->flags;
    image.strings_start = layout->strings_start;
    SetFlags(fields, layout->flags);
    target = std::move(layout->target);
  } else {
    const ByteReader buffer(image.bytes);
    const auto flags = buffer.U8(kFlagsByte);
    if (!flags) {
      throw platform::Error(path + ": not a shortcut: the file is only " +
                            std::to_string(image.file_size) + " bytes long");
    }
    SetFlags(fields, *flags);
    const auto found = FindTargetByByteRules(buffer);
    if (!found) throw platform::Error(path + ": not a shortcut: no NUL byte ends its target");
    image.target_end = found->end;
    target = Ansi(buffer.Slice(found->start, found->end - found->start), files);
  }
  fields.Target = ShownText(target);
  fields.TargetText = std::string(kTargetLabel) + fields.Target;
  fields.TargetArgsText = fields.TargetText;
  return {std::move(image), std::move(fields)};
}

void DecodeDetails(const std::string& path, ShortcutImage& image, ShortcutFields& fields,
                   const platform::FileServices& files) {
  if (image.genuine) {
    DecodeGenuineDetails(path, image, fields, files);
  } else {
    DecodeByteRuleDetails(path, image, fields, files);
  }
}

}  // namespace varnlink::auditor
