#include "audit/duplicate_warnings.h"

#include <string>
#include <string_view>

#include "report/report_format.h"
#include "text/report_text.h"

namespace varnlink::audit {
namespace {

std::optional<std::string> Hit(const checks::DuplicateIndex& index, std::string_view prefix,
                               const char* message, const platform::FileFacts& facts,
                               std::vector<std::string>& messages) {
  const auto earlier = index.EarliestWithPrefix(prefix);
  if (!earlier) return std::nullopt;
  std::string text = message;
  text::AppendShownText(text, facts.name);
  text += " at ";
  text::AppendShownText(text, facts.path);
  messages.push_back(std::move(text));
  return std::string(*earlier);
}

}  // namespace

std::vector<std::string> DuplicateWarnings::Check(report::ReportEntry& entry,
                                                 const AuditOptions& options) {
  std::vector<std::string> messages;
  if (entry.info.target.empty()) return messages;  // "TARGET:   " alone would match every entry
  if (!options.warn_duplicate_targets && !options.warn_duplicate_arguments) return messages;
  line_.clear();
  const std::size_t target_end = report::AppendTargetLineText(line_, entry.info);
  if (options.warn_duplicate_targets) {
    entry.duplicate_target_of = Hit(index_, std::string_view(line_).substr(0, target_end),
                                    "Duplicate Target in Shortcut ", entry.facts, messages);
  }
  if (entry.info.arguments && options.warn_duplicate_arguments) {
    entry.duplicate_arguments_of = Hit(
        index_, line_, "Duplicate Target and Parameter String in Shortcut ", entry.facts, messages);
  }
  return messages;
}

void DuplicateWarnings::Add(const report::ReportEntry& entry) {
  line_.clear();
  report::AppendTargetLineText(line_, entry.info);
  index_.Add(line_, entry.facts.path);
}

}  // namespace varnlink::audit
