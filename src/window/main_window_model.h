#pragma once

// The main window's model: a passive view model. Every control is plain state
// (controls.h), every user action arrives as one of the handlers below, named
// for what the user did, and the handlers change only that state and call the
// audit run and the platform. Front ends (Qt, Win32) show the state after each
// handler and never keep state of their own.

#include <optional>
#include <string>
#include <vector>

#include "audit/audit_options.h"
#include "audit/audit_run.h"
#include "checks/target_check.h"
#include "platform/file_mover.h"
#include "window/clipboard.h"
#include "platform/file_services.h"
#include "platform/folder_listing.h"
#include "window/message_dialog.h"
#include "window/printer.h"
#include "varnlink/version.h"
#include "window/controls.h"
#include "window/folder_picker.h"
#include "window/layout.h"
#include "window/question_dialog.h"

namespace varnlink::window {

// The outside world the window model reaches.
struct Platform {
  const platform::FileServices& files;
  const platform::FolderListing& folders;
  MessageDialog& messages;
  Printer& printer;
  Clipboard& clipboard;
};

// What the window needs to move shortcuts aside and back: a window without
// them leaves Quarantine… and Restore… disabled.
struct CleanUpServices {
  FolderPicker& folder_picker;
  QuestionDialog& question;
  const platform::FileMover& mover;
};

// The filter an option button of the "Targets" group stands for; nullopt for
// any other control.
[[nodiscard]] std::optional<audit::TargetFilter> FilterOf(ControlId id);

class MainWindowModel {
 public:
  explicit MainWindowModel(const Platform& platform,
                           std::optional<CleanUpServices> clean_up = std::nullopt);

  // State. Front ends draw it; they may set the selected flags of
  // shortcut_list before SelectionChanged, and the target filter at any time
  // (it is read when Audit is pressed). A click on a check box goes to
  // CheckBoxClicked: "Include Jump Lists" changes the shortcut list too.
  std::string caption = kWindowCaption;
  bool maximized = false;
  DriveList drive_list;
  FolderList folder_list;
  ShortcutList shortcut_list;
  std::vector<std::string> selected_names;  // "Shortcuts Selected", in list order
  std::string chosen_folder;                // "Directory Selected"
  // Beside the buttons: "12 Shortcuts Found" after an audit; "Showing 32767 of
  // 40000 shortcuts" when a folder holds more than the shortcut list shows.
  std::string result_text;
  CheckBox search_subfolders;
  CheckBox warn_duplicate_targets;
  CheckBox warn_duplicate_arguments;
  CheckBox warn_missing_targets;
  CheckBox warn_suspicious_shortcuts;
  // Jump lists are audited as shortcuts: the shortcut list shows a folder's
  // jump list files too, and a walk reads those it finds. Ticked or unticked
  // through CheckBoxClicked, which lists the folder again.
  CheckBox include_jump_lists;
  audit::TargetFilter target_filter = audit::TargetFilter::kAll;
  std::string report;  // the results pane's text, CR LF line ends
  MousePointer pointer = MousePointer::kDefault;
  // The ANSI code page the command line gave (--codepage); nullopt: each
  // shortcut's own.
  std::optional<unsigned> code_page;
  // Where the missing-target check looks for drives (the window's --map).
  // Without a drive C:, on Linux, C: is the Windows disk holding the folder.
  checks::TargetCheckSettings target_check;
  // Quarantine… is enabled after an audit with "Warn of Missing Targets"
  // ticked (and acts on that audit's shortcuts); Restore… whenever the
  // window can move files.
  bool quarantine_enabled = false;
  bool restore_enabled = false;

  // Handlers. Errors that end a handler propagate to the front end, which
  // shows them; the state is left as far as the handler got.
  //
  // Shows the current drive and folder in the drive, folder and shortcut
  // lists (chosen_folder stays empty until the user acts on them), then sets
  // the starting state.
  void Load();
  // The report and the result line; the messages the run ends by telling
  // (folders passed over, missing targets, suspicious shortcuts) wait for
  // AnnounceOutcome, so that the front end draws the report first.
  void Audit();
  // Shows the last Audit's closing messages, once. A front end calls it
  // after Audit, once the report is on screen.
  void AnnounceOutcome();
  void Print();
  void Copy();
  // The only handlers that change files; the audit itself reads only.
  // Quarantine asks for a folder, says how many shortcuts of the last
  // audit have a target the file system says is not there and asks to move
  // them there; on OK it moves them as the command line's --quarantine
  // does and audits again, so that the report marks each one moved, and
  // says in one message box what it did. On Linux it moves nothing without
  // a drive C: given (--map), as the command line. A refused folder (inside
  // what was audited, not writable, a newer manifest) throws before
  // anything moves.
  void Quarantine();
  // Asks for a quarantine folder, puts back what it holds and says in one
  // message box what it did.
  void Restore();
  // The user chose a drive: its root folder opens. When it cannot be read the
  // folder list keeps its folder (the drive stays chosen) and this throws.
  void ChangeDrive(const std::string& drive);
  // The user opened a folder (double-click or Enter): its shortcuts are
  // listed, none selected; the result line says so when the list cannot show
  // them all. When it cannot be read, everything stays as it was.
  void OpenFolder(const std::string& path);
  // The user highlighted a folder in the folder list: the selection empties
  // and the open folder becomes the chosen one.
  void HighlightFolder(const std::string& path);
  // After the front end changed shortcut_list's selected flags.
  void SelectionChanged();
  // The user clicked the check box the layout table calls `id` (a disabled
  // one does nothing). "Include Jump Lists" lists the open folder again,
  // with or without its jump list files, keeping the selected names that
  // stay listed; when the folder cannot be read any more the box keeps the
  // user's choice, the list its names, and this throws.
  void CheckBoxClicked(ControlId id, bool ticked);
  // The user named a folder, a shortcut file or a jump list file when
  // starting the window: the folder opens as if highlighted and opened in
  // the folder list; a shortcut's folder opens so, with that shortcut
  // selected; a jump list's likewise, with "Include Jump Lists" ticked.
  void OpenPath(const std::string& path);

  // The choices as the audit takes them.
  [[nodiscard]] audit::AuditOptions Options() const;

  // The state of the check box the layout table calls `id`; nullptr for a
  // control that is no check box.
  [[nodiscard]] CheckBox* CheckBoxOf(ControlId id);

 private:
  // "Search Sub Directories" does not apply to a selection: it is unticked
  // and disabled while shortcuts are selected, enabled again when none are.
  void SelectedNamesChanged();
  // After shortcut_list changed folder: the result line tells how much of the
  // folder it shows, or drops `line_before`, the previous folder's such line.
  void ShortcutFolderChanged(const std::string& line_before);
  // Lists shortcut_list's folder again as include_jump_lists says.
  void ListShortcutsAgain();
  // The audit the last Audit ran, as a new run takes it.
  [[nodiscard]] audit::AuditRequest LastRequest() const;

  Platform platform_;
  std::optional<CleanUpServices> clean_up_;
  // What the last audit audited: the chosen folder and the selected names.
  std::string audited_folder_;
  std::vector<std::string> audited_names_;
  audit::AuditOptions audited_options_;
  std::vector<std::string> closing_messages_;  // the last Audit's, until announced
};

}  // namespace varnlink::window
