#include "window/form1.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "auditor/report_text.h"
#include "platform/error.h"

namespace varnlink::window {
namespace {

// How many folders or shortcuts a "passed over" message names before it just counts.
constexpr std::size_t kFoldersNamed = 10;

// Report bytes reserved per shortcut to audit.
constexpr std::size_t kEntryBytesReserved = 768;

// The hourglass for the whole of a run, and the default pointer again however
// the run ends, so an error never leaves the user with a busy pointer.
class HourglassPointer {
 public:
  explicit HourglassPointer(Form1& form) : form_(form) {
    form_.ScreenMousePointer = MousePointer::kHourglass;
    form_.Touch();
  }
  ~HourglassPointer() {
    form_.ScreenMousePointer = MousePointer::kDefault;
    form_.Touch();
  }
  HourglassPointer(const HourglassPointer&) = delete;
  HourglassPointer& operator=(const HourglassPointer&) = delete;

 private:
  Form1& form_;
};

std::string ResultLine(std::int16_t count) {
  return std::to_string(count) + " Shortcut" + (count == 1 ? "" : "s") + " Found";
}

// Windows paths ignore case ("c:\" is the root of "C:\WINDOWS"); POSIX paths do not.
// The first few of `items`, then how many more there are.
std::string NamedList(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < kFoldersNamed; ++i) {
    if (i > 0) text += "; ";
    text += items[i];
  }
  if (items.size() > kFoldersNamed) {
    text += "; and " + std::to_string(items.size() - kFoldersNamed) + " more";
  }
  return text;
}

bool StartsWithFolder(const std::string& path, const std::string& root, char separator) {
  if (root.empty() || path.size() < root.size()) return false;
  if (separator != '\\') return path.starts_with(root);
  return std::equal(root.begin(), root.end(), path.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

}  // namespace

Form1::Form1(const Platform& platform)
    : File1(platform.folders, platform.files.PathSeparator()),
      platform_(platform),
      module1_(platform.files, platform.messages) {
  Label3.Caption = "Directory Selected";
  Label4.Caption = "Shortcuts Selected";
  Label5.Caption = "Select Search Criteria:";
  Label6.Caption = "Results:";
}

void Form1::Form_Load() {
  // The drive, folder and file lists open on the process's current folder;
  // Label2 stays empty until the user acts on them. A current folder that
  // cannot be read leaves the file list empty rather than the window unopened.
  const char separator = platform_.files.PathSeparator();
  try {
    Drive1.Drives = platform_.folders.Drives();
    const std::string current = platform_.folders.CurrentFolder();
    std::string within = current;
    if (within.empty() || within.back() != separator) within.push_back(separator);
    std::size_t best = 0;
    for (const std::string& drive : Drive1.Drives) {
      const std::string root = platform_.folders.DriveRoot(drive);
      if (StartsWithFolder(within, root, separator) && root.size() > best) {
        best = root.size();
        Drive1.Drive = drive;
      }
    }
    Dir1.Path = WithoutTrailingSeparator(current, separator);
    File1.SetPath(Dir1.Path);
  } catch (const std::runtime_error&) {
  }

  Maximized = true;
  Option1.Value = true;
  Option2.Value = false;
  Option3.Value = false;
  Check1.Value = 1;
  Text1.Text.Clear();
  Touch();
}

void Form1::Timer1_Timer() {
  const CheckBox before = Check1;
  if (List2.ListCount() < 1) {
    Check1.Enabled = true;
  } else {
    Check1.Enabled = false;
    Check1.Value = 0;
  }
  // The timer ticks every 10 ms; only a real change should make a front end redraw.
  if (Check1.Enabled != before.Enabled || Check1.Value != before.Value) Touch();
}

void Form1::Command1_Click() {
  Touch();
  List1.Clear();
  Label1.Caption.clear();
  HourglassPointer hourglass(*this);
  Text1.Text.Clear();
  not_searched_.clear();
  vanished_.clear();

  const std::string separator(1, platform_.files.PathSeparator());
  const std::string& folder = Label2.Caption;
  const std::string path_separator =
      (!folder.empty() && folder.back() == separator.front()) ? "" : separator;

  if (List2.ListCount() != 0) {
    const int count = List2.ListCount();
    for (int i = 0; i < count; ++i) List1.AddItem(folder + path_separator + List2.List(i));
  } else {
    ListSubDirs(folder + path_separator);
  }

  // Most entries take 400 to 700 bytes; room for all of them up front spares
  // the report from being moved (and its pages touched afresh) as it grows.
  Text1.Text.Reserve(static_cast<std::size_t>(List1.ListCount()) * kEntryBytesReserved);
  module1_.ShortcutCount = 0;
  const bool walked = List2.ListCount() == 0;
  const int count = List1.ListCount();
  for (int i = 0; i < count; ++i) {
    const std::string path = List1.List(i);
    try {
      module1_.AuditShortcut(path, *this);
    } catch (const std::system_error& e) {
      // A shortcut the walk found may be gone by the time it is read; it is
      // passed over like a folder that could not be searched. A selected
      // shortcut that is missing still ends the run.
      if (!walked || e.code() != std::errc::no_such_file_or_directory) throw;
      vanished_.push_back(path);
    }
  }
  Label1.Caption = ResultLine(module1_.ShortcutCount);
  ReportFoldersNotSearched();
  ReportShortcutsVanished();
}

void Form1::Command2_Click() {
  Touch();
  platform_.printer.PrintText(Text1.Text.Text());
}

void Form1::Command3_Click() {
  Touch();
  platform_.clipboard.Clear();
  platform_.clipboard.SetText(Text1.Text.Text());
}

void Form1::Drive1_Change() {
  Touch();
  SetDir1Path(platform_.folders.DriveRoot(Drive1.Drive));
}

void Form1::Dir1_Change() {
  Touch();
  File1.SetPath(Dir1.Path);
  Label2.Caption = File1.Path();
}

void Form1::Dir1_Click() {
  Touch();
  const int count = File1.ListCount();
  for (int i = 0; i < count; ++i) File1.SetSelected(i, false);
  Label2.Caption = File1.Path();
  List2.Clear();
}

void Form1::File1_Click() {
  Touch();
  List2.Clear();
  const int count = File1.ListCount();
  for (int i = 0; i < count; ++i) {
    if (File1.Selected(i)) List2.AddItem(File1.List(i));
  }
}

void Form1::SetDir1Path(const std::string& path) {
  const std::string folder = WithoutTrailingSeparator(path, platform_.files.PathSeparator());
  if (folder == Dir1.Path) return;
  Touch();
  // When the new folder cannot be opened the folder list keeps the previous
  // one, as do File1 and Label2.
  const std::string previous = Dir1.Path;
  Dir1.Path = folder;
  try {
    Dir1_Change();
  } catch (...) {
    Dir1.Path = previous;
    throw;
  }
}

void Form1::ListSubDirs(const std::string& path) {
  Touch();
  const auto room = static_cast<std::size_t>(kMaxListCount - List1.ListCount());
  FolderWalk walk(platform_.folders, platform_.files.PathSeparator(), room);
  walk.Walk(path, Check1.Value != 0);
  if (walk.LimitExceeded()) {
    throw platform::Error(path + ": more than " + std::to_string(room) +
                          " shortcuts found, more than one run can audit; nothing was audited. "
                          "Choose a smaller folder or select the shortcuts to audit.");
  }
  for (const std::string& found : walk.Found()) List1.AddItem(found);
  not_searched_.insert(not_searched_.end(), walk.Skipped().begin(), walk.Skipped().end());
}

void Form1::ReportFoldersNotSearched() {
  if (not_searched_.empty()) return;
  std::vector<std::string> named;
  for (const auto& folder : not_searched_) named.push_back(folder.folder + " (" + folder.reason + ")");
  not_searched_.clear();
  platform_.messages.Show(auditor::ShownText(
      (named.size() == 1 ? "1 folder could not be searched and was passed over: "
                         : std::to_string(named.size()) +
                               " folders could not be searched and were passed over: ") +
      NamedList(named)));
}

void Form1::ReportShortcutsVanished() {
  if (vanished_.empty()) return;
  const std::string text =
      (vanished_.size() == 1
           ? "1 shortcut vanished before it could be audited and was passed over: "
           : std::to_string(vanished_.size()) +
                 " shortcuts vanished before they could be audited and were passed over: ") +
      NamedList(vanished_);
  vanished_.clear();
  platform_.messages.Show(auditor::ShownText(text));
}

}  // namespace varnlink::window
