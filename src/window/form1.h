#pragma once

// The window model. Form1 is a passive view model: every control is plain
// state (controls.h), every user action arrives as one of the event handlers
// below, and the handlers change only that state and call the auditor and the
// platform. Front ends (Qt, Win32, command line) show the state and raise the
// events; Revision() tells them cheaply whether anything changed since they
// last looked.

#include <cstdint>
#include <string>
#include <vector>

#include "auditor/audit_choices.h"
#include "auditor/module1.h"
#include "platform/clipboard.h"
#include "platform/file_services.h"
#include "platform/folder_listing.h"
#include "platform/message_dialog.h"
#include "platform/printer.h"
#include "window/controls.h"
#include "window/folder_walk.h"

namespace varnlink::window {

// The outside world the window model reaches.
struct Platform {
  const platform::FileServices& files;
  const platform::FolderListing& folders;
  platform::MessageDialog& messages;
  platform::Printer& printer;
  platform::Clipboard& clipboard;
};

class Form1 : public auditor::AuditChoices {
 public:
  explicit Form1(const Platform& platform);

  // Controls. Front ends read them to draw and may set the selection flags of
  // File1, the values of Check1..3 and Option1..3 before raising an event.
  std::string Caption = "Varnlink V1.0";
  bool Maximized = false;
  ListBox List1;
  ListBox List2;
  FileListBox File1;
  DirListBox Dir1;
  DriveListBox Drive1;
  Label Label1, Label2, Label3, Label4, Label5, Label6;
  CheckBox Check1, Check2, Check3;
  OptionButton Option1, Option2, Option3;
  RichTextBox Text1;
  Timer Timer1;
  MousePointer ScreenMousePointer = MousePointer::kDefault;

  // Events. Errors that end a handler propagate to the front end, which shows
  // them; the model is left as far as the handler got.
  //
  // Form_Load first shows the current drive and folder in Drive1, Dir1 and
  // File1 (Label2 stays empty), then sets the starting state.
  void Form_Load();
  void Timer1_Timer();
  void Command1_Click();  // Audit
  void Command2_Click();  // Print
  void Command3_Click();  // Copy
  void Drive1_Change();   // after Drive1.Drive was set
  void Dir1_Change();     // after Dir1.Path was set (opening a folder)
  void Dir1_Click();      // a click or highlight move in Dir1
  void File1_Click();     // after File1's selected flags changed

  // Sets Dir1's path and raises Dir1_Change when it changed, as the folder
  // list does when code sets its path.
  void SetDir1Path(const std::string& path);

  // Appends the shortcut paths under `path` (ending in the separator) to List1,
  // descending into sub-folders while Check1 is ticked. Sub-folders that cannot
  // be listed are passed over and named in one message box at the end of the
  // audit run. Throws, appending nothing, when `path` is not a folder or List1
  // would exceed kMaxListCount.
  void ListSubDirs(const std::string& path);

  // AuditChoices
  [[nodiscard]] bool Option2Selected() const override { return Option2.Value; }
  [[nodiscard]] bool Option3Selected() const override { return Option3.Value; }
  [[nodiscard]] int Check2Value() const override { return Check2.Value; }
  [[nodiscard]] int Check3Value() const override { return Check3.Value; }
  [[nodiscard]] auditor::Report& ResultsText() override { return Text1.Text; }

  // Raised by every handler that may have changed state; a front end redraws
  // only when it differs from the value it last drew.
  [[nodiscard]] std::uint64_t Revision() const { return revision_; }
  void Touch() { ++revision_; }

 private:
  void ReportFoldersNotSearched();
  void ReportShortcutsVanished();

  Platform platform_;
  auditor::Module1 module1_;
  std::uint64_t revision_ = 0;
  std::vector<FolderWalk::NotSearched> not_searched_;  // by ListSubDirs, this run
  std::vector<std::string> vanished_;  // shortcuts found by the walk, gone when audited
};

}  // namespace varnlink::window
