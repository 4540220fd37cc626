#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "report/report_entry.h"

namespace varnlink::report {

// The report's text. This is the one place that knows its labels, blanks and
// line ends, and the one place that masks a shortcut's text for it (ShownText):
// the values it is given stay unmasked everywhere else.
//
// An entry is nine lines, each ending in CR LF, the last one empty:
//
//   SHORTCUT NAME:   Notepad
//   LOCATION:   C:\WINDOWS\Start Menu\Programs\Accessories\Notepad.lnk
//   TARGET:   C:\WINDOWS\NOTEPAD.EXE
//   START IN:   C:\WINDOWS
//   ICON SOURCE:   C:\WINDOWS\NOTEPAD.EXE
//   LENGTH:   398 bytes          SHORTCUT KEY:   (none)        RUN:   Normal
//   READ ONLY:   False       ARCHIVE:   True       HIDDEN:   False
//   CREATED:   12 April 1999   10:15:42     MODIFIED:   12 April 1999   10:15:42     ACCESSED:   03
//   June 1999
//
// Duplicate warnings stand as two marker lines each directly above the entry,
// after them the two of a missing target, and last the two of a suspicious
// shortcut: the checks that fired and what Windows runs, with its arguments.

inline constexpr std::string_view kTargetLabel = "TARGET:   ";
inline constexpr std::string_view kDuplicateTargetMarker =
    "*** DUPLICATE TARGET IN SHORTCUT BELOW***";
inline constexpr std::string_view kDuplicateArgumentsMarker =
    "*** DUPLICATE TARGET AND PARAMETER STRING IN SHORTCUT BELOW***";
inline constexpr std::string_view kMissingTargetMarker = "*** MISSING TARGET IN SHORTCUT BELOW***";
inline constexpr std::string_view kSuspiciousMarker = "*** SUSPICIOUS SHORTCUT BELOW***";
inline constexpr std::string_view kQuarantinedMarker = "*** QUARANTINED SHORTCUT BELOW***";

// Appends the entry's marker lines and its nine lines to `report`.
void AppendEntry(std::string& report, const ReportEntry& entry);

// What follows "TARGET:   " on the entry's TARGET line: the target, and a
// blank and the arguments when the shortcut has arguments, masked.
[[nodiscard]] std::string TargetLineText(const lnk::ShortcutInfo& info);
// Appends TargetLineText(info) to `out`; returns where the target's part of
// it ends (the shown target is out[start, returned)).
std::size_t AppendTargetLineText(std::string& out, const lnk::ShortcutInfo& info);

// The target alone as the TARGET line shows it (masked).
[[nodiscard]] std::string ShownTarget(const lnk::ShortcutInfo& info);

// The hot key as the report names it, unmasked: "Ctrl + Alt + N".
[[nodiscard]] std::string HotKeyText(const lnk::HotKey& hot_key);

// "Normal", "Maximised" or "Minimised".
[[nodiscard]] std::string_view RunModeName(lnk::RunMode run);

}  // namespace varnlink::report
