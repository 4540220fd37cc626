#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnlink::text {

// Facts of Windows path text (UTF-8) that the suspicious-shortcut checks and
// the choice of what Windows runs share. Letters compare without regard to
// ASCII case, as the shortcuts' own records spell names alike otherwise.

// Why `path` is no path Windows could open: it holds one of " < > | ? * or
// a character below U+0020, or a ":" other than after a leading drive letter;
// nullopt when it is none of these (an empty path is not valid either:
// "is empty").
[[nodiscard]] std::optional<std::string> WindowsPathFault(std::string_view path);
[[nodiscard]] inline bool IsWindowsPath(std::string_view path) { return !WindowsPathFault(path); }

// True when `path` starts with a drive letter and ":".
[[nodiscard]] bool StartsWithDrive(std::string_view path);

// True when `text` holds a bidirectional control (U+200E, U+200F,
// U+202A to U+202E, U+2066 to U+2069), which shows what follows it reversed.
[[nodiscard]] bool HasBidiControl(std::string_view text);

// The last component of a path: what follows its last "\" or "/".
[[nodiscard]] std::string_view FinalName(std::string_view path);

// The extension of a path's final name after its last ".", lower-cased; ""
// when it has none.
[[nodiscard]] std::string LowerExtension(std::string_view path);

[[nodiscard]] bool EqualsIgnoringCase(std::string_view a, std::string_view b);
[[nodiscard]] bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
[[nodiscard]] bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

// True when two file names name the same file: equal ignoring case, or one
// is the 8.3 short name Windows makes of the other ("PROGRA~1" of "Program
// Files", "RUNFIL~1.EXE" or "RU4E2A~1.EXE" of "run file.exe").
[[nodiscard]] bool SameFileName(std::string_view a, std::string_view b);

// True for a UNC path, "\\server\share..." or "\\?\UNC\server\share...", not
// for the local "\\?\C:\" and device "\\.\" forms.
[[nodiscard]] bool IsUncPath(std::string_view path);

}  // namespace varnlink::text
