#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/name_case.h"

namespace varnlink::text {

// Facts of Windows path text (UTF-8) that the suspicious-shortcut checks and
// the choice of what Windows runs share. Names compare as in name_case.h.

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

// Whether `name` has the form of an 8.3 name Windows makes of a longer one:
// one to six characters, "~" and a number, eight at most together, then
// perhaps "." and one to three more ("PROGRA~1", "MICROS~2.DOC").
[[nodiscard]] bool IsShortName(std::string_view name);

// True when two file names name the same file: equal ignoring case, or one
// is the 8.3 short name Windows makes of the other ("PROGRA~1" of "Program
// Files", "RUNFIL~1.EXE" or "RU4E2A~1.EXE" of "run file.exe").
[[nodiscard]] bool SameFileName(std::string_view a, std::string_view b);

// True for a UNC path, "\\server\share..." or "\\?\UNC\server\share...", not
// for the local "\\?\C:\" and device "\\.\" forms.
[[nodiscard]] bool IsUncPath(std::string_view path);

}  // namespace varnlink::text
