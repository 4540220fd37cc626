#include "window/main_window_model.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

#include "audit/audit_run.h"
#include "audit/folder_walk.h"
#include "audit/quarantine.h"
#include "audit/quarantine_sink.h"
#include "platform/error.h"
#include "report/report_format.h"
#include "text/windows_path.h"

namespace varnlink::window {
namespace {

// Report bytes reserved per shortcut to audit: most entries take 400 to 700.
constexpr std::size_t kEntryBytesReserved = 768;

// The hourglass for the whole of a run, and the default pointer again however
// the run ends, so an error never leaves the user with a busy pointer.
class HourglassPointer {
 public:
  explicit HourglassPointer(MousePointer& pointer) : pointer_(pointer) {
    pointer_ = MousePointer::kHourglass;
  }
  ~HourglassPointer() { pointer_ = MousePointer::kDefault; }
  HourglassPointer(const HourglassPointer&) = delete;
  HourglassPointer& operator=(const HourglassPointer&) = delete;

 private:
  MousePointer& pointer_;
};

// Appends each entry to the window's report as it is made.
class ReportSink : public audit::EntrySink {
 public:
  ReportSink(std::string& report, MessageDialog& messages) : report_(report), messages_(messages) {}
  void Expect(std::size_t count) override { report_.reserve(count * kEntryBytesReserved); }
  void Add(const report::ReportEntry& entry) override { report::AppendEntry(report_, entry); }
  // A message box for each, at once: a duplicate warning holds the run.
  void Tell(const std::string& message) override { messages_.Show(message); }

 private:
  std::string& report_;
  MessageDialog& messages_;
};

// Takes the entries of a count ahead of a quarantine, showing nothing.
class DiscardingSink : public audit::EntrySink {
 public:
  void Add(const report::ReportEntry& /*entry*/) override {}
  void Tell(const std::string& /*message*/) override {}
};

std::string ShortcutsCount(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " shortcut" : " shortcuts");
}

// Windows paths ignore case ("c:\" is the root of "C:\WINDOWS"); Linux paths do not.
bool StartsWithFolder(const std::string& path, const std::string& root, char separator) {
  if (root.empty() || path.size() < root.size()) return false;
  if (separator != '\\') return path.starts_with(root);
  return text::StartsWithIgnoringCase(path, root);
}

// The result line while the shortcut list cannot show the whole folder; empty
// when it shows every shortcut.
std::string ShowingLine(const ShortcutList& list) {
  if (list.FolderCount() <= list.Count()) return {};
  return "Showing " + std::to_string(list.Count()) + " of " + std::to_string(list.FolderCount()) +
         " shortcuts";
}

}  // namespace

MainWindowModel::MainWindowModel(const Platform& platform,
                                 std::optional<CleanUpServices> clean_up)
    : shortcut_list(platform.folders, platform.files.PathSeparator()),
      restore_enabled(clean_up.has_value()),
      platform_(platform),
      clean_up_(clean_up) {}

void MainWindowModel::Load() {
  // A current folder that cannot be read leaves the shortcut list empty
  // rather than the window unopened.
  const char separator = platform_.files.PathSeparator();
  try {
    drive_list.drives = platform_.folders.Drives();
    const std::string current = platform_.folders.CurrentFolder();
    std::string within = current;
    if (within.empty() || within.back() != separator) within.push_back(separator);
    std::size_t best = 0;
    for (const std::string& drive : drive_list.drives) {
      const std::string root = platform_.folders.DriveRoot(drive);
      if (StartsWithFolder(within, root, separator) && root.size() > best) {
        best = root.size();
        drive_list.drive = drive;
      }
    }
    folder_list.path = audit::WithoutTrailingSeparator(current, separator);
    const std::string line_before = ShowingLine(shortcut_list);
    shortcut_list.SetPath(folder_list.path, include_jump_lists.ticked);
    ShortcutFolderChanged(line_before);
  } catch (const std::runtime_error&) {
  }

  maximized = true;
  target_filter = audit::TargetFilter::kAll;
  search_subfolders = {true, true};
  report.clear();
}

std::optional<audit::TargetFilter> FilterOf(ControlId id) {
  switch (id) {
    case ControlId::kAllTargets: return audit::TargetFilter::kAll;
    case ControlId::kExeTargets: return audit::TargetFilter::kExe;
    case ControlId::kNonExeTargets: return audit::TargetFilter::kNonExe;
    default: return std::nullopt;
  }
}

CheckBox* MainWindowModel::CheckBoxOf(ControlId id) {
  switch (id) {
    case ControlId::kSearchSubfolders: return &search_subfolders;
    case ControlId::kWarnDuplicateTargets: return &warn_duplicate_targets;
    case ControlId::kWarnDuplicateArguments: return &warn_duplicate_arguments;
    case ControlId::kWarnMissingTargets: return &warn_missing_targets;
    case ControlId::kWarnSuspiciousShortcuts: return &warn_suspicious_shortcuts;
    case ControlId::kIncludeJumpLists: return &include_jump_lists;
    default: return nullptr;
  }
}

audit::AuditOptions MainWindowModel::Options() const {
  return {target_filter,
          search_subfolders.ticked,
          warn_duplicate_targets.ticked,
          warn_duplicate_arguments.ticked,
          warn_missing_targets.ticked,
          warn_suspicious_shortcuts.ticked,
          code_page,
          include_jump_lists.ticked};
}

void MainWindowModel::Audit() {
  result_text.clear();
  quarantine_enabled = false;
  HourglassPointer hourglass(pointer);
  report.clear();
  ReportSink sink(report, platform_.messages);
  audited_folder_ = chosen_folder;
  audited_names_ = selected_names;
  audited_options_ = Options();
  // Without drives given, the missing-target check maps them itself: on
  // Linux C: is the Windows disk holding the folder, on Windows the running
  // system answers.
  audit::AuditResult result =
      audit::AuditRun(platform_.files, platform_.folders).Run(LastRequest(), sink);
  result_text = audit::ResultLine(result.count);
  closing_messages_ = std::move(result.closing_messages);
  quarantine_enabled = clean_up_.has_value() && audited_options_.check_targets;
}

audit::AuditRequest MainWindowModel::LastRequest() const {
  audit::AuditRequest request{audited_folder_, audited_names_, audited_options_,
                              audit::kMaxShortcutsPerRun};
  request.target_check = target_check;
  return request;
}

void MainWindowModel::Quarantine() {
  if (!quarantine_enabled || !clean_up_) return;
#ifndef _WIN32
  // Without a drive given, C: is the Windows disk holding the folder, and a
  // copied tree's targets would all be missing.
  const bool c_mapped =
      std::any_of(target_check.drives.begin(), target_check.drives.end(),
                  [](const auto& drive) { return drive.first == 'C'; });
  if (!c_mapped) {
    platform_.messages.Show(
        "Quarantine moves shortcuts only where it is told where their targets are: start "
        "Varnlink with --map C:=FOLDER (the folder holding the Windows disk or its copy). "
        "Nothing was moved.");
    return;
  }
#endif
  const std::optional<std::string> folder =
      clean_up_->folder_picker.PickFolder("Quarantine: choose a folder to move shortcuts into");
  if (!folder) return;
  const char separator = platform_.files.PathSeparator();
  const std::vector<std::string> audited{audited_folder_};
  audit::AuditRequest request = LastRequest();
  // The user has seen the duplicate warnings once; they still mark the report.
  request.announce_duplicates = false;

  std::size_t count = 0;
  {
    HourglassPointer hourglass(pointer);
    audit::Quarantine preview(clean_up_->mover, *folder, audited, true);
    DiscardingSink discard;
    audit::QuarantineSink would_move(discard, preview, audited, separator, true);
    (void)audit::AuditRun(platform_.files, platform_.folders).Run(request, would_move);
    count = would_move.Moves().size();
  }
  if (count == 0) {
    platform_.messages.Show("No shortcut of " + audited_folder_ +
                            " has a target the file system says is not there. Nothing was moved.");
    return;
  }
  if (!clean_up_->question.Ask(ShortcutsCount(count) + " of " + audited_folder_ +
                               (count == 1 ? " has a target" : " have targets") +
                               " the file system says is not there. Move " +
                               (count == 1 ? "it" : "them") + " into " + *folder +
                               "? Restore\u2026 puts " + (count == 1 ? "it" : "them") +
                               " back from there.")) {
    return;
  }

  HourglassPointer hourglass(pointer);
  audit::Quarantine quarantine(clean_up_->mover, *folder, audited, false);
  result_text.clear();
  report.clear();
  ReportSink output(report, platform_.messages);
  audit::QuarantineSink moving(output, quarantine, audited, separator, false);
  try {
    const audit::AuditResult result =
        audit::AuditRun(platform_.files, platform_.folders).Run(request, moving);
    result_text = audit::ResultLine(result.count);
  } catch (const std::exception& e) {
    // Each shortcut moved so far is in quarantine with its manifest line.
    throw platform::Error(std::string(e.what()) + ". Quarantined before this: " +
                          ShortcutsCount(moving.Moves().size()) + " to " + quarantine.Folder());
  }
  platform_.messages.Show("Quarantined " + ShortcutsCount(moving.Moves().size()) + " to " +
                          quarantine.Folder() + "; the report marks each.");
}

void MainWindowModel::Restore() {
  if (!restore_enabled || !clean_up_) return;
  const std::optional<std::string> folder =
      clean_up_->folder_picker.PickFolder("Restore: choose the quarantine folder");
  if (!folder) return;
  audit::RestoreResult result;
  {
    HourglassPointer hourglass(pointer);
    result = audit::RestoreQuarantine(clean_up_->mover, *folder);
  }
  std::string text = "Restored from " + *folder + ": " + ShortcutsCount(result.restored.size()) +
                     "; left in quarantine: " + std::to_string(result.left.size());
  for (const std::string& left : result.left) text += ". " + left;
  platform_.messages.Show(text);
}

void MainWindowModel::AnnounceOutcome() {
  std::vector<std::string> messages;
  messages.swap(closing_messages_);
  for (const std::string& message : messages) platform_.messages.Show(message);
}

void MainWindowModel::Print() { platform_.printer.PrintText(report); }

void MainWindowModel::Copy() {
  platform_.clipboard.Clear();
  platform_.clipboard.SetText(report);
}

void MainWindowModel::ChangeDrive(const std::string& drive) {
  drive_list.drive = drive;
  OpenFolder(platform_.folders.DriveRoot(drive));
}

void MainWindowModel::OpenFolder(const std::string& path) {
  const std::string folder = audit::WithoutTrailingSeparator(path, platform_.files.PathSeparator());
  if (folder == folder_list.path) return;
  const std::string line_before = ShowingLine(shortcut_list);
  // Throws, changing nothing, when it cannot be listed.
  shortcut_list.SetPath(folder, include_jump_lists.ticked);
  folder_list.path = folder;
  chosen_folder = shortcut_list.Path();
  selected_names.clear();
  SelectedNamesChanged();
  ShortcutFolderChanged(line_before);
}

void MainWindowModel::HighlightFolder(const std::string& path) {
  folder_list.highlighted = path;
  shortcut_list.ClearSelection();
  chosen_folder = shortcut_list.Path();
  selected_names.clear();
  SelectedNamesChanged();
}

void MainWindowModel::SelectionChanged() {
  selected_names.clear();
  for (std::size_t i = 0; i < shortcut_list.Count(); ++i) {
    if (shortcut_list.Selected(i)) selected_names.push_back(shortcut_list.Names()[i]);
  }
  SelectedNamesChanged();
}

void MainWindowModel::CheckBoxClicked(ControlId id, bool ticked) {
  CheckBox* box = CheckBoxOf(id);
  if (box == nullptr || !box->enabled) return;
  box->ticked = ticked;
  if (id == ControlId::kIncludeJumpLists) ListShortcutsAgain();
}

void MainWindowModel::ListShortcutsAgain() {
  if (shortcut_list.Path().empty() || shortcut_list.ShowsJumpLists() == include_jump_lists.ticked)
    return;
  const std::unordered_set<std::string> kept(selected_names.begin(), selected_names.end());
  const std::string line_before = ShowingLine(shortcut_list);
  shortcut_list.SetPath(shortcut_list.Path(), include_jump_lists.ticked);
  for (std::size_t i = 0; i < shortcut_list.Count(); ++i) {
    if (kept.contains(shortcut_list.Names()[i])) shortcut_list.SetSelected(i, true);
  }
  SelectionChanged();
  ShortcutFolderChanged(line_before);
}

void MainWindowModel::OpenPath(const std::string& path) {
  const char separator = platform_.files.PathSeparator();
  std::string given = path;
  if (separator == '\\') std::replace(given.begin(), given.end(), '/', '\\');  // Windows takes both
  given = audit::WithoutTrailingSeparator(std::move(given), separator);
  const std::size_t cut = given.find_last_of(separator);
  const std::string name = cut == std::string::npos ? given : given.substr(cut + 1);
  const bool jump_list = audit::IsJumpListName(name);
  if (platform_.folders.IsFolder(given) || !(audit::IsShortcutName(name) || jump_list)) {
    HighlightFolder(given);
    OpenFolder(given);
    return;
  }
  // "C:\x.lnk" and "/x.lnk" lie in a root, which keeps its separator.
  const std::string folder =
      cut == std::string::npos ? platform_.folders.CurrentFolder() : given.substr(0, cut + 1);
  if (jump_list) include_jump_lists.ticked = true;
  HighlightFolder(folder);
  OpenFolder(folder);  // the folder already open is not listed again
  ListShortcutsAgain();
  const std::vector<std::string>& names = shortcut_list.Names();
  const auto found = std::find_if(names.begin(), names.end(), [&](const std::string& listed) {
    return separator == '\\' ? text::EqualsIgnoringCase(listed, name) : listed == name;
  });
  if (found == names.end()) {
    (void)platform_.files.StatusOf(given);  // a shortcut that is not there fails naming the cause
    throw platform::Error(given +
                          ": cannot select the shortcut: the shortcut list does not show it "
                          "(a hidden or system file, or past the list's end)");
  }
  shortcut_list.SetSelected(static_cast<std::size_t>(found - names.begin()), true);
  SelectionChanged();
}

void MainWindowModel::ShortcutFolderChanged(const std::string& line_before) {
  const std::string line = ShowingLine(shortcut_list);
  if (!line.empty()) {
    result_text = line;
  } else if (!line_before.empty() && result_text == line_before) {
    result_text.clear();
  }
}

void MainWindowModel::SelectedNamesChanged() {
  if (selected_names.empty()) {
    search_subfolders.enabled = true;
  } else {
    search_subfolders = {false, false};
  }
}

}  // namespace varnlink::window
