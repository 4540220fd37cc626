#include "auditor/duplicate_warnings.h"

namespace varnlink::auditor {
namespace {

// One check: when `needle` already begins a line of the report (an earlier
// entry's TARGET line, which it may merely begin), show the message and
// append the marker naming the entry it was found in.
void CheckOnce(const std::string& needle, const char* marker, const char* message,
               const FileFacts& facts, Report& report, platform::MessageDialog& messages) {
  const auto found = report.FindLineStart(needle);
  if (!found) return;
  const auto earlier_path = report.LocationBefore(*found);
  messages.Show(std::string(message) + facts.ShortcutName + " at " + facts.Path);
  if (!earlier_path) return;  // the report holds no LOCATION line before it
  std::string lines = marker;
  lines += "\r\n(duplicate located at ";
  lines += *earlier_path;
  lines += ")\r\n";
  report.Append(lines);
}

}  // namespace

void WarnOfDuplicates(const ShortcutFields& fields, const FileFacts& facts, AuditChoices& window,
                      platform::MessageDialog& messages) {
  // An empty target's bare "TARGET:   " would match every entry.
  if (fields.Target.empty()) return;
  if (window.Check2Value() == 1) {
    CheckOnce(fields.TargetText, kDuplicateTargetMarker, "Duplicate Target in Shortcut ", facts,
              window.ResultsText(), messages);
  }
  if (fields.HasArguments && window.Check3Value() == 1) {
    CheckOnce(fields.TargetArgsText, kDuplicateTargetArgsMarker,
              "Duplicate Target and Parameter String in Shortcut ", facts, window.ResultsText(),
              messages);
  }
}

}  // namespace varnlink::auditor
