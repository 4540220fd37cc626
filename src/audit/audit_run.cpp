#include "audit/audit_run.h"

#include "auditor/duplicate_warnings.h"
#include "auditor/report_text.h"
#include "auditor/shortcut_auditor.h"
#include "platform/error.h"

namespace varnlink::audit {
namespace {

// How many folders or shortcuts a "passed over" message names before it just counts.
constexpr std::size_t kNamed = 10;

// The first few of `items`, then how many more there are.
std::string NamedList(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < kNamed; ++i) {
    if (i > 0) text += "; ";
    text += items[i];
  }
  if (items.size() > kNamed) text += "; and " + std::to_string(items.size() - kNamed) + " more";
  return text;
}

std::string WithSeparator(const std::string& folder, char separator) {
  return !folder.empty() && folder.back() == separator ? folder : folder + separator;
}

}  // namespace

std::string ResultLine(std::size_t count) {
  return std::to_string(count) + " Shortcut" + (count == 1 ? "" : "s") + " Found";
}

AuditRun::AuditRun(const platform::FileServices& files, const platform::FolderListing& folders,
                   platform::MessageDialog& messages)
    : AuditRun(files, folders, messages, platform::SystemTargetFiles()) {}

AuditRun::AuditRun(const platform::FileServices& files, const platform::FolderListing& folders,
                   platform::MessageDialog& messages, const platform::TargetFiles& targets)
    : files_(files), folders_(folders), messages_(messages), targets_(targets) {}

AuditResult AuditRun::Run(const AuditRequest& request, EntrySink& sink) {
  not_searched_.clear();
  vanished_.clear();
  AuditResult result;
  try {
    AuditAll(request, PathsToAudit(request), sink, result);
  } catch (...) {
    // What was passed over so far is told before the failure that ends the run.
    ReportPassedOver();
    ReportTargetCount();
    throw;
  }
  ReportPassedOver();
  ReportTargetCount();
  return result;
}

std::vector<std::string> AuditRun::PathsToAudit(const AuditRequest& request) {
  const std::string folder = WithSeparator(request.folder, files_.PathSeparator());
  if (!request.selected_names.empty()) {
    if (request.selected_names.size() > request.limit) {
      throw platform::Error(folder + ": " + std::to_string(request.selected_names.size()) +
                            " shortcuts selected, more than one run can audit (" +
                            std::to_string(request.limit) + "); nothing was audited. Select fewer shortcuts.");
    }
    std::vector<std::string> paths;
    paths.reserve(request.selected_names.size());
    for (const std::string& name : request.selected_names) paths.push_back(folder + name);
    return paths;
  }
  FolderWalk walk(folders_, files_.PathSeparator(), request.limit);
  walk.Walk(folder, request.options.search_subfolders);
  not_searched_ = walk.Skipped();
  if (walk.LimitExceeded()) {
    throw platform::Error(folder + ": more than " + std::to_string(request.limit) +
                          " shortcuts found, more than one run can audit; nothing was audited. "
                          "Choose a smaller folder or select the shortcuts to audit.");
  }
  return walk.Found();
}

void AuditRun::AuditAll(const AuditRequest& request, const std::vector<std::string>& paths,
                        EntrySink& sink, AuditResult& result) {
  const auditor::ShortcutAuditor auditor(files_);
  auditor::DuplicateWarnings duplicates;
  const bool walked = request.selected_names.empty();
  if (request.options.check_targets) {
    target_check_.emplace(targets_, request.target_check, request.folder);
  }
  sink.Expect(paths.size());
  for (const std::string& path : paths) {
    std::optional<auditor::ReportEntry> entry;
    try {
      entry = auditor.Audit(path, request.options.target_filter);
    } catch (const std::exception& e) {
      // A shortcut the walk found may be gone by the time it is read; it is
      // passed over like a folder that could not be searched. A selected
      // shortcut that is missing still ends the run.
      if (!walked || !platform::IsNotFound(e)) throw;
      vanished_.push_back(path);
      continue;
    }
    if (!entry) continue;
    ++result.count;
    if (target_check_) entry->target_status = target_check_->Check(entry->info, path);
    duplicates.Check(*entry, request.options, messages_);
    sink.Add(*entry);
    duplicates.Add(*entry);
  }
}

void AuditRun::ReportPassedOver() {
  if (!not_searched_.empty()) {
    std::vector<std::string> named;
    for (const auto& folder : not_searched_) named.push_back(folder.folder + " (" + folder.reason + ")");
    messages_.Show(auditor::ShownText(
        (named.size() == 1 ? "1 folder could not be searched and was passed over: "
                           : std::to_string(named.size()) +
                                 " folders could not be searched and were passed over: ") +
        NamedList(named)));
    not_searched_.clear();
  }
  if (!vanished_.empty()) {
    messages_.Show(auditor::ShownText(
        (vanished_.size() == 1
             ? "1 shortcut vanished before it could be audited and was passed over: "
             : std::to_string(vanished_.size()) +
                   " shortcuts vanished before they could be audited and were passed over: ") +
        NamedList(vanished_)));
    vanished_.clear();
  }
}

void AuditRun::ReportTargetCount() {
  if (!target_check_) return;
  messages_.Show(target_check_->Summary());
  target_check_.reset();
}

}  // namespace varnlink::audit
