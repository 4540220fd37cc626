#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnlink::auditor {

// One shortcut file's bytes, held while the shortcut is audited. `bytes` has
// one position more than was read from the file; that end position holds a
// blank, as the byte rules expect.
struct ShortcutImage {
  std::vector<std::uint8_t> bytes;  // file bytes + one blank
  std::size_t file_size = 0;        // N: how many bytes came from the file
  bool genuine = false;             // decoded by structure, not by the byte rules
  std::uint32_t link_flags = 0;     // genuine: the header's link flags
  std::size_t target_end = 0;       // byte rules: position of the target's NUL
  std::size_t strings_start = 0;    // genuine: where the counted strings start
  std::int32_t last_count = 0;      // LastCount: count of the last counted string read
};

// What decoding one shortcut yields. Texts are UTF-8 with control characters
// already shown as "?".
struct ShortcutFields {
  bool HasName = false;
  bool HasWorkingDir = false;
  bool HasArguments = false;
  bool HasIconLocation = false;
  std::string Target;
  std::string TargetText;      // "TARGET:   " + Target
  std::string TargetArgsText;  // TargetText [+ " " + arguments]
  std::string StartInText;
  std::string IconSourceText;
  std::string ShortcutKeyText;
  std::string RunText;
};

// The shortcut file's own facts and their report texts.
struct FileFacts {
  std::string Path;  // as given, shown with control characters as "?"
  std::string ShortcutName;
  std::string NameLine;
  std::string LocationLine;
  std::uint64_t Size = 0;
  std::string LengthText;
  std::uint32_t Attributes = 0;
  std::string ReadOnlyText;
  std::string ArchiveText;
  std::string HiddenText;
  std::string CreatedText;
  std::string ModifiedText;
  std::string AccessedText;
};

}  // namespace varnlink::auditor
