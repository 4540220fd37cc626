#include "auditor/shortcut_auditor.h"

#include "auditor/report_text.h"
#include "auditor/shortcut_decoder.h"
#include "platform/error.h"

namespace varnlink::auditor {

bool PassesFilter(const std::string& target, TargetFilter filter) {
  if (filter == TargetFilter::kAll) return true;
  const bool has_exe = AsciiUpper(target).find(".EXE") != std::string::npos;
  return has_exe == (filter == TargetFilter::kExe);
}

std::optional<ReportEntry> ShortcutAuditor::Audit(const std::string& path,
                                                  TargetFilter filter) const {
  ReportEntry entry;
  entry.facts = GatherFileFacts(path, files_);
  entry.info = DecodeShortcut(path, files_.ReadFileStart(path, kMaxShortcutBytes), files_);
  if (!PassesFilter(entry.info.target, filter)) return std::nullopt;
  if (entry.info.strings_end_early_at) {
    throw platform::Error(path + ": the shortcut's strings end early: the length at byte " +
                          std::to_string(*entry.info.strings_end_early_at) +
                          " lies past the end of the file");
  }
  return entry;
}

}  // namespace varnlink::auditor
