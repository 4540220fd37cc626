#include "audit/shortcut_auditor.h"

#include "lnk/code_page_choice.h"
#include "lnk/shortcut_decoder.h"
#include "platform/error.h"
#include "text/report_text.h"

namespace varnlink::audit {

bool PassesFilter(const std::string& target, TargetFilter filter) {
  if (filter == TargetFilter::kAll) return true;
  const bool has_exe = text::AsciiUpper(target).find(".EXE") != std::string::npos;
  return has_exe == (filter == TargetFilter::kExe);
}

std::optional<report::ReportEntry> ShortcutAuditor::Audit(const std::string& path,
                                                          TargetFilter filter,
                                                          lnk::Detail detail) const {
  ShortcutFile file(path, files_);
  return Audit(file, filter, detail);
}

std::optional<report::ReportEntry> ShortcutAuditor::Audit(ShortcutSource& source,
                                                          TargetFilter filter,
                                                          lnk::Detail detail) const {
  const std::string& path = source.Location();
  report::ReportEntry entry;
  entry.facts = source.Facts();
  try {
    entry.info =
        lnk::DecodeInCodePage(source.Bytes(), code_page_, files_.AnsiDecoder().CodePage(), detail);
  } catch (const lnk::DecodeError& error) {
    throw platform::Error(path + ": " + error.what());
  }
  if (!PassesFilter(entry.info.target, filter)) return std::nullopt;
  if (entry.info.strings_end_early_at) {
    throw platform::Error(path + ": the shortcut's strings end early: the length at byte " +
                          std::to_string(*entry.info.strings_end_early_at) +
                          " lies past the end of the file");
  }
  if (detail == lnk::Detail::kRecord) entry.sha256 = source.Sha256();
  return entry;
}

}  // namespace varnlink::audit
