#pragma once

// Facts of the shell link header both readers use, and the text conversions
// they share.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "lnk/byte_reader.h"
#include "lnk/shortcut_info.h"
#include "text/text_decoder.h"
#include "text/report_text.h"

namespace varnlink::lnk {

// Link flags (bytes 20-23 of a genuine link).
enum LinkFlag : std::uint32_t {
  kHasLinkTargetIdList = 0x1,
  kHasLinkInfo = 0x2,
  kHasName = 0x4,
  kHasRelativePath = 0x8,
  kHasWorkingDir = 0x10,
  kHasArguments = 0x20,
  kHasIconLocation = 0x40,
  kIsUnicode = 0x80,
  kForceNoLinkInfo = 0x100,
  kHasExpString = 0x200,
};

// Hot key modifier bits (byte 65).
enum HotKeyModifier : std::uint8_t { kShift = 1, kCtrl = 2, kAlt = 4 };

inline constexpr std::size_t kHeaderSize = 76;
inline constexpr std::size_t kFlagsByte = 20;
inline constexpr std::size_t kShowCommandByte = 60;
inline constexpr std::size_t kHotKeyByte = 64;
inline constexpr std::size_t kHotKeyModifiersByte = 65;

[[nodiscard]] inline std::string_view AsChars(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// ANSI bytes as UTF-8.
[[nodiscard]] inline std::string AnsiText(std::span<const std::uint8_t> bytes,
                                          const text::TextDecoder& decoder) {
  return decoder.AnsiToUtf8(AsChars(bytes));
}

// The bytes of an ANSI string, kept beside its text; nullopt when they are
// all below 0x80, which read alike in every ANSI code page (the text is then
// the bytes).
[[nodiscard]] inline std::optional<std::string> KeptBytes(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::string(bytes);
  }
  return std::nullopt;
}

// A string's text and, when it is ANSI, its kept bytes.
struct DecodedString {
  std::string text;
  bool ansi = false;
  std::optional<std::string> ansi_bytes;
};

[[nodiscard]] inline DecodedString StringOf(std::span<const std::uint8_t> bytes, bool unicode,
                                            const text::TextDecoder& decoder) {
  if (unicode) return {text::Utf16LeToUtf8(bytes), false, std::nullopt};
  return {AnsiText(bytes, decoder), true, KeptBytes(AsChars(bytes))};
}

// The bytes of a NUL-terminated string of `record` starting at `offset`,
// ANSI or UTF-16LE, without the NUL. Throws RecordError when no NUL ends it
// inside the record.
[[nodiscard]] inline std::span<const std::uint8_t> TerminatedBytes(const ByteReader& record,
                                                                   std::size_t offset,
                                                                   bool unicode) {
  const auto nul =
      unicode ? record.FindNul16(offset, record.size()) : record.FindNul(offset, record.size());
  if (!nul) throw RecordError();
  return record.Slice(offset, *nul - offset);
}

// The text of such a string.
[[nodiscard]] inline std::string TerminatedString(const ByteReader& record, std::size_t offset,
                                                  bool unicode,
                                                  const text::TextDecoder& decoder) {
  const auto bytes = TerminatedBytes(record, offset, unicode);
  return unicode ? text::Utf16LeToUtf8(bytes) : AnsiText(bytes, decoder);
}

// The run mode of a show command: 1, 3 and 7 have names, others none.
[[nodiscard]] inline std::optional<RunMode> RunModeOf(std::optional<std::uint8_t> show_command) {
  if (!show_command) return std::nullopt;
  switch (*show_command) {
    case 1: return RunMode::kNormal;
    case 3: return RunMode::kMaximised;
    case 7: return RunMode::kMinimised;
    default: return std::nullopt;
  }
}

}  // namespace varnlink::lnk
