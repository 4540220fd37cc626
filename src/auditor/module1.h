#pragma once

#include <cstdint>
#include <string>

#include "auditor/audit_choices.h"
#include "auditor/shortcut_fields.h"
#include "platform/file_services.h"
#include "platform/message_dialog.h"

namespace varnlink::auditor {

// Audits one shortcut at a time and keeps the run's count. It does not walk
// folders or decide what to audit; the window model does.
class Module1 {
 public:
  Module1(const platform::FileServices& files, platform::MessageDialog& messages);

  // Gathers the file's facts, decodes it, applies the target filter, counts it,
  // warns of duplicates and appends its report entry. Throws (naming the path)
  // on a strict failure, with nothing appended and nothing counted.
  void AuditShortcut(const std::string& path, AuditChoices& window);

  // Shortcuts reported in the current run; 16-bit, saturating at 32767.
  std::int16_t ShortcutCount = 0;

 private:
  const platform::FileServices& files_;
  platform::MessageDialog& messages_;
};

// The texts of the file's own facts (exposed for tests).
[[nodiscard]] FileFacts GatherFileFacts(const std::string& path,
                                        const platform::FileServices& files);
[[nodiscard]] std::string ShortcutNameOf(const std::string& path, char separator);
[[nodiscard]] std::string TimeText(const char* label, const platform::LocalTime& t, bool with_time);
// The nine lines of one report entry, CR LF after each.
[[nodiscard]] std::string ReportEntry(const FileFacts& facts, const ShortcutFields& fields);
// Whether the target filter drops the shortcut.
[[nodiscard]] bool ExcludedByFilter(const std::string& target_text, const AuditChoices& window);

}  // namespace varnlink::auditor
