#include "auditor/duplicate_warnings.h"

#include <string>

#include "auditor/report_format.h"
#include "auditor/report_text.h"

namespace varnlink::auditor {
namespace {

std::optional<std::string> Hit(const DuplicateIndex& index, const std::string& prefix,
                               const char* message, const FileFacts& facts,
                               platform::MessageDialog* messages) {
  const auto earlier = index.EarliestWithPrefix(prefix);
  if (!earlier) return std::nullopt;
  if (messages != nullptr) {
    messages->Show(message + ShownText(facts.name) + " at " + ShownText(facts.path));
  }
  return std::string(*earlier);
}

}  // namespace

void DuplicateWarnings::Check(ReportEntry& entry, const AuditOptions& options,
                              platform::MessageDialog* messages) const {
  if (entry.info.target.empty()) return;  // "TARGET:   " alone would match every entry
  if (options.warn_duplicate_targets) {
    entry.duplicate_target_of = Hit(index_, ShownTarget(entry.info),
                                    "Duplicate Target in Shortcut ", entry.facts, messages);
  }
  if (entry.info.arguments && options.warn_duplicate_arguments) {
    entry.duplicate_arguments_of =
        Hit(index_, TargetLineText(entry.info),
            "Duplicate Target and Parameter String in Shortcut ", entry.facts, messages);
  }
}

void DuplicateWarnings::Add(const ReportEntry& entry) {
  index_.Add(TargetLineText(entry.info), entry.facts.path);
}

}  // namespace varnlink::auditor
