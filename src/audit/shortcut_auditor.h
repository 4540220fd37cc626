#pragma once

#include <optional>
#include <string>

#include "audit/audit_options.h"
#include "audit/shortcut_source.h"
#include "lnk/shortcut_info.h"
#include "platform/file_services.h"
#include "report/report_entry.h"

namespace varnlink::audit {

// Audits one shortcut: gathers its facts, reads and decodes it and applies
// the target filter. It neither counts, warns nor writes the report;
// the audit run does that with what it returns.
class ShortcutAuditor {
 public:
  // `code_page`: the ANSI code page of every shortcut; nullopt: each its own.
  explicit ShortcutAuditor(const platform::FileServices& files,
                           std::optional<unsigned> code_page = std::nullopt)
      : files_(files), code_page_(code_page) {}

  // The shortcut's entry (without warnings), or nullopt when the target
  // filter leaves it out. Throws naming the location when the shortcut cannot
  // be found or read, is no shortcut, is a shortcut cut short, or a string
  // before the working folder has a length past the end of the file (that
  // last only when the filter keeps the shortcut). With lnk::Detail::kRecord
  // the entry holds the whole record, and a kept shortcut's entry the hash of
  // its bytes.
  [[nodiscard]] std::optional<report::ReportEntry> Audit(
      ShortcutSource& source, TargetFilter filter,
      lnk::Detail detail = lnk::Detail::kAudit) const;
  // The same for the shortcut file at `path`.
  [[nodiscard]] std::optional<report::ReportEntry> Audit(
      const std::string& path, TargetFilter filter,
      lnk::Detail detail = lnk::Detail::kAudit) const;

 private:
  const platform::FileServices& files_;
  std::optional<unsigned> code_page_;
};

// Whether `filter` keeps a shortcut with this target.
[[nodiscard]] bool PassesFilter(const std::string& target, TargetFilter filter);

}  // namespace varnlink::audit
