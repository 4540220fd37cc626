#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "audit/entry_sink.h"
#include "audit/folder_walk.h"
#include "audit/target_check.h"
#include "auditor/audit_options.h"
#include "platform/file_services.h"
#include "platform/folder_listing.h"
#include "platform/message_dialog.h"
#include "platform/target_files.h"

namespace varnlink::audit {

// The most shortcuts one run of the window (or the command line's text
// report) audits: its lists count with 16-bit signed numbers.
inline constexpr std::size_t kMaxShortcutsPerRun = 32767;

struct AuditRequest {
  std::string folder;                       // the chosen folder
  std::vector<std::string> selected_names;  // names inside it; empty: walk the folder
  auditor::AuditOptions options;
  std::size_t limit = kMaxShortcutsPerRun;  // a run of more shortcuts is refused
  TargetCheckSettings target_check;         // where targets are looked for (check_targets)
};

struct AuditResult {
  std::size_t count = 0;  // shortcuts reported (the target filter's survivors)
};

// One audit run: takes the selected shortcuts of the chosen folder, or walks
// it (and its sub-folders when the options say so), audits each shortcut in
// order and hands each entry to the sink as soon as it is made. Duplicate
// warnings go to the message service the moment they happen. Folders that
// could not be searched, and walked shortcuts that vanished before they were
// read, are passed over and named in one message at the end of the run, or
// before the failure that ends it; with the missing-target check on, one
// message after that counts the targets not found and not checked. It knows
// nothing of windows.
class AuditRun {
 public:
  // The missing-target check looks at `targets`; without it, at the system's.
  AuditRun(const platform::FileServices& files, const platform::FolderListing& folders,
           platform::MessageDialog& messages);
  AuditRun(const platform::FileServices& files, const platform::FolderListing& folders,
           platform::MessageDialog& messages, const platform::TargetFiles& targets);

  // Throws (naming the file or folder) when the folder cannot be searched,
  // the run would exceed the request's limit (before anything is audited), or
  // a shortcut cannot be audited; entries already handed on stay handed on.
  AuditResult Run(const AuditRequest& request, EntrySink& sink);

 private:
  [[nodiscard]] std::vector<std::string> PathsToAudit(const AuditRequest& request);
  void AuditAll(const AuditRequest& request, const std::vector<std::string>& paths,
                EntrySink& sink, AuditResult& result);
  void ReportPassedOver();
  void ReportTargetCount();

  const platform::FileServices& files_;
  const platform::FolderListing& folders_;
  platform::MessageDialog& messages_;
  const platform::TargetFiles& targets_;
  std::optional<TargetCheck> target_check_;             // this run's, when asked for
  std::vector<FolderWalk::NotSearched> not_searched_;  // this run's
  std::vector<std::string> vanished_;                   // this run's
};

// "1 Shortcut Found", "12 Shortcuts Found".
[[nodiscard]] std::string ResultLine(std::size_t count);

}  // namespace varnlink::audit
