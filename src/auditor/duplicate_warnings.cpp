#include "auditor/duplicate_warnings.h"

namespace varnlink::auditor {
namespace {

// The first place where `needle` (which starts with "TARGET:   ") begins a
// line. Only an entry's TARGET line starts with the label; the same text inside
// a shortcut's name, path or arguments is no earlier target, and counting it
// would let a crafted shortcut make, hide or redirect a duplicate marker. The
// first occurrence anywhere is nearly always that line; only when it is not is
// the rest of the report searched.
std::optional<std::size_t> FindAtLineStart(const Report& report, const std::string& needle) {
  std::optional<std::size_t> found = report.FindFirst(needle);
  const std::string& text = report.Text();
  while (found && *found != 0 && text[*found - 1] != '\n') {
    const std::size_t next = text.find(needle, *found + 1);
    found = next == std::string::npos ? std::nullopt : std::optional<std::size_t>(next);
  }
  return found;
}

// One check: when `needle` already begins a line of the report, show the
// message and append the marker naming the entry it was found in.
void CheckOnce(const std::string& needle, const char* marker, const std::string& message,
               Report& report, platform::MessageDialog& messages) {
  const auto found = FindAtLineStart(report, needle);
  if (!found) return;
  const auto earlier_path = report.LocationBefore(*found);
  messages.Show(message);
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
  const std::string who = facts.ShortcutName + " at " + facts.Path;
  if (window.Check2Value() == 1) {
    CheckOnce(fields.TargetText, kDuplicateTargetMarker, "Duplicate Target in Shortcut " + who,
              window.ResultsText(), messages);
  }
  if (fields.HasArguments && window.Check3Value() == 1) {
    CheckOnce(fields.TargetArgsText, kDuplicateTargetArgsMarker,
              "Duplicate Target and Parameter String in Shortcut " + who, window.ResultsText(),
              messages);
  }
}

}  // namespace varnlink::auditor
