#include "app/win32/main_window.h"

#include <windows.h>
#include <richedit.h>

#include <exception>

#include "platform/win32/wide_text.h"

namespace varnlink::win32 {
namespace {

using platform::Utf8ToWide;
using platform::WideToUtf8;

// The design positions are in twips; the window works at 96 dots per inch,
// where 15 twips make one pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int Px(int twips) { return twips / kTwipsPerPixel; }

constexpr UINT_PTR kTimer1 = 1;

struct ControlPlace {
  int id;
  const wchar_t* kind;
  const wchar_t* caption;
  DWORD style;
  int left, top, width, height;  // twips, in the window (Frame1's children offset by it)
};

constexpr int kFrameLeft = 120;
constexpr int kFrameTop = 6360;

// Form1's controls in tab order; the caption of Option2 ends with a blank.
const ControlPlace kControls[] = {
    {kCommand1, L"BUTTON", L"Audit", WS_TABSTOP | BS_PUSHBUTTON, 120, 3240, 1335, 735},
    {kDrive1, L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 120, 5880, 1335, 3000},
    {kDir1, L"LISTBOX", L"", WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT,
     1680, 5880, 4575, 1890},
    {kFile1, L"LISTBOX", L"",
     WS_TABSTOP | LBS_NOTIFY | LBS_EXTENDEDSEL | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT, 6720,
     5880, 3135, 2040},
    {kLabel2, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 1680, 4200, 9015, 255},
    {kLabel3, L"STATIC", L"Directory Selected", SS_LEFT, 120, 4200, 1455, 255},
    {kLabel4, L"STATIC", L"Shortcuts Selected", SS_LEFT, 120, 4680, 1575, 375},
    {kList2, L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT, 1680, 4560,
     4695, 645},
    {kCheck1, L"BUTTON", L"Search Sub Directories", WS_TABSTOP | BS_CHECKBOX, 6720, 4560, 2775, 495},
    {kLabel1, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 5280, 3240, 3495, 375},
    {kLabel5, L"STATIC", L"Select Search Criteria:", SS_LEFT, 120, 5640, 2535, 255},
    {kCheck2, L"BUTTON", L"Warn of Duplicate Targets", WS_TABSTOP | BS_CHECKBOX, 6720, 5040, 3015,
     375},
    {kCheck3, L"BUTTON", L"Warn of Duplicate Targets WITH Duplicate Parameter Strings",
     WS_TABSTOP | BS_CHECKBOX | BS_MULTILINE, 6720, 5520, 4815, 255},
    {kOption1, L"BUTTON", L"All Targets", WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON | BS_MULTILINE,
     kFrameLeft + 120, kFrameTop + 240, 1095, 255},
    {kOption2, L"BUTTON", L".EXE Targets ", BS_RADIOBUTTON | BS_MULTILINE, kFrameLeft + 120,
     kFrameTop + 600, 1095, 615},
    {kOption3, L"BUTTON", L"Non .EXE Targets", BS_RADIOBUTTON | BS_MULTILINE, kFrameLeft + 120,
     kFrameTop + 1200, 1095, 495},
    // After its option buttons, so it lies beneath them.
    {kFrame1, L"BUTTON", L"Targets", BS_GROUPBOX, kFrameLeft, kFrameTop, 1335, 1815},
    {kCommand2, L"BUTTON", L"Print", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 1680, 3240, 1455, 735},
    {kLabel6, L"STATIC", L"Results:", SS_LEFT, 120, 0, 1575, 375},
    {kText1, L"", L"",
     WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
         ES_AUTOVSCROLL | ES_AUTOHSCROLL,
     120, 360, 10575, 2775},
    {kCommand3, L"BUTTON", L"Copy", WS_TABSTOP | BS_PUSHBUTTON, 3360, 3240, 1455, 735},
};

HWND AsWindow(void* handle) { return static_cast<HWND>(handle); }

// The rich-edit class: RichEdit 4.1 (Msftedit.dll) where present, else 2.0.
const wchar_t* RichEditClass() {
  if (LoadLibraryW(L"Msftedit.dll") != nullptr) return MSFTEDIT_CLASS;
  LoadLibraryW(L"Riched20.dll");
  return RICHEDIT_CLASSW;
}

void SetText(HWND control, const std::string& text) {
  SetWindowTextW(control, Utf8ToWide(text).c_str());
}

void SetItems(HWND list, UINT reset, UINT add, const std::vector<std::string>& items) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, reset, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(list, add, 0, reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->Handle(window, message, wparam, lparam);
}

}  // namespace

MainWindow::MainWindow(window::Form1& form, const platform::FolderListing& folders)
    : form_(form), folders_(folders) {}

bool MainWindow::Create(void* instance, int show) {
  const auto module = static_cast<HINSTANCE>(instance);
  WNDCLASSEXW kind{};
  kind.cbSize = sizeof(kind);
  kind.lpfnWndProc = WindowProcedure;
  kind.hInstance = module;
  kind.hIcon = LoadIconW(module, L"VARNLINK");
  if (kind.hIcon == nullptr) kind.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  kind.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  kind.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  kind.lpszClassName = kWindowClass;
  if (RegisterClassExW(&kind) == 0) return false;

  // The client area is 11805 by 8355 twips before the window is maximised.
  RECT frame{0, 0, Px(11805), Px(8355)};
  // No WS_CLIPCHILDREN: the group box paints only its frame, and the window
  // must paint the area inside it.
  const DWORD style = WS_OVERLAPPEDWINDOW;
  AdjustWindowRect(&frame, style, FALSE);
  const HWND window = CreateWindowExW(0, kWindowClass, Utf8ToWide(form_.Caption).c_str(), style,
                                      CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                      frame.bottom - frame.top, nullptr, nullptr, module, this);
  if (window == nullptr) return false;
  window_ = window;
  MakeControls();
  Raise([this] { form_.Form_Load(); });
  ShowWindow(window, form_.Maximized ? SW_SHOWMAXIMIZED : show);
  UpdateWindow(window);
  SetTimer(window, kTimer1, static_cast<UINT>(form_.Timer1.IntervalMs), nullptr);
  SetFocus(GetDlgItem(window, kCommand1));
  return true;
}

void MainWindow::MakeControls() {
  const HWND window = AsWindow(window_);
  const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
  const auto gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const HDC screen = GetDC(window);
  // "MS Sans Serif", 8.5 points.
  font_ = CreateFontW(-MulDiv(85, GetDeviceCaps(screen, LOGPIXELSY), 720), 0, 0, 0, FW_NORMAL,
                      FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
  ReleaseDC(window, screen);
  white_ = CreateSolidBrush(RGB(255, 255, 255));
  const wchar_t* rich_edit = RichEditClass();

  for (const ControlPlace& place : kControls) {
    const wchar_t* kind = place.id == kText1 ? rich_edit : place.kind;
    const HWND control = CreateWindowExW(
        place.id == kText1 ? WS_EX_CLIENTEDGE : 0, kind, place.caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | place.style,
        Px(place.left), Px(place.top), Px(place.width), Px(place.height), window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), module, nullptr);
    if (control == nullptr) continue;
    const bool report = place.id == kText1;
    SendMessageW(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(report && font_ != nullptr ? static_cast<HFONT>(font_) : gui_font),
                 FALSE);
    if (report) {
      SendMessageW(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
      SendMessageW(control, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    }
  }
}

void MainWindow::OpenFolder(const std::string& folder) {
  Raise([&] {
    form_.Dir1_Click();
    form_.SetDir1Path(folder);
  });
}

template <typename Event>
void MainWindow::Raise(Event event) {
  try {
    event();
  } catch (const std::exception& e) {
    Sync();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    MessageBoxW(AsWindow(window_), Utf8ToWide(e.what()).c_str(), L"Varnlink", MB_OK | MB_ICONERROR);
  }
  Sync();
}

void MainWindow::OnCommand(int id, int code) {
  const HWND window = AsWindow(window_);
  const auto selected = [&](int control) {
    return static_cast<int>(SendMessageW(GetDlgItem(window, control), LB_GETCURSEL, 0, 0));
  };
  switch (id) {
    case kCommand1:
      if (code != BN_CLICKED) return;
      // The run holds the thread; the hourglass stays until it ends.
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      Raise([this] { form_.Command1_Click(); });
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return;
    case kCommand2:
      if (code == BN_CLICKED) Raise([this] { form_.Command2_Click(); });
      return;
    case kCommand3:
      if (code == BN_CLICKED) Raise([this] { form_.Command3_Click(); });
      return;
    case kCheck1:
    case kCheck2:
    case kCheck3: {
      if (code != BN_CLICKED) return;
      window::CheckBox& box = id == kCheck1 ? form_.Check1 : id == kCheck2 ? form_.Check2 : form_.Check3;
      if (!box.Enabled) return;
      box.Value = box.Value == 1 ? 0 : 1;
      form_.Touch();
      Sync();
      return;
    }
    case kOption1:
    case kOption2:
    case kOption3:
      if (code != BN_CLICKED) return;
      form_.Option1.Value = id == kOption1;
      form_.Option2.Value = id == kOption2;
      form_.Option3.Value = id == kOption3;
      form_.Touch();
      Sync();
      return;
    case kDrive1: {
      if (code != CBN_SELCHANGE) return;
      const auto row = SendMessageW(GetDlgItem(window, kDrive1), CB_GETCURSEL, 0, 0);
      if (row < 0 || static_cast<std::size_t>(row) >= form_.Drive1.Drives.size()) return;
      form_.Drive1.Drive = form_.Drive1.Drives[static_cast<std::size_t>(row)];
      Raise([this] { form_.Drive1_Change(); });
      return;
    }
    case kDir1: {
      const int row = selected(kDir1);
      if (row < 0 || static_cast<std::size_t>(row) >= folder_paths_.size()) return;
      const std::string path = folder_paths_[static_cast<std::size_t>(row)];
      if (code == LBN_SELCHANGE) {
        form_.Dir1.Highlighted = path;
        Raise([this] { form_.Dir1_Click(); });
      } else if (code == LBN_DBLCLK) {
        Raise([this, path] { form_.SetDir1Path(path); });
      }
      return;
    }
    case kFile1: {
      if (code != LBN_SELCHANGE) return;
      const HWND list = GetDlgItem(window, kFile1);
      const int count = form_.File1.ListCount();
      for (int i = 0; i < count; ++i) {
        form_.File1.SetSelected(i, SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0);
      }
      Raise([this] { form_.File1_Click(); });
      return;
    }
    case IDOK: {
      // Enter in the folder list opens the highlighted folder, as a double-click does.
      if (GetFocus() != GetDlgItem(window, kDir1)) return;
      const int row = selected(kDir1);
      if (row < 0 || static_cast<std::size_t>(row) >= folder_paths_.size()) return;
      const std::string path = folder_paths_[static_cast<std::size_t>(row)];
      Raise([this, path] { form_.SetDir1Path(path); });
      return;
    }
    default:
      return;
  }
}

void MainWindow::Sync() {
  if (form_.Revision() == synced_revision_) return;
  synced_revision_ = form_.Revision();
  const HWND window = AsWindow(window_);
  const auto item = [&](int id) { return GetDlgItem(window, id); };

  SetText(item(kLabel1), form_.Label1.Caption);
  SetText(item(kLabel2), form_.Label2.Caption);
  const window::CheckBox* boxes[] = {&form_.Check1, &form_.Check2, &form_.Check3};
  for (int i = 0; i < 3; ++i) {
    const HWND box = item(kCheck1 + i);
    SendMessageW(box, BM_SETCHECK, boxes[i]->Value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(box, boxes[i]->Enabled ? TRUE : FALSE);
  }
  const bool options[] = {form_.Option1.Value, form_.Option2.Value, form_.Option3.Value};
  for (int i = 0; i < 3; ++i) {
    SendMessageW(item(kOption1 + i), BM_SETCHECK, options[i] ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  if (form_.Text1.Text.Text() != shown_report_) {
    shown_report_ = form_.Text1.Text.Text();
    SetText(item(kText1), shown_report_);
  }
  if (form_.List2.Items() != shown_list2_) {
    shown_list2_ = form_.List2.Items();
    SetItems(item(kList2), LB_RESETCONTENT, LB_ADDSTRING, shown_list2_);
  }
  if (form_.Drive1.Drives != shown_drives_) {
    shown_drives_ = form_.Drive1.Drives;
    SetItems(item(kDrive1), CB_RESETCONTENT, CB_ADDSTRING, shown_drives_);
  }
  const auto drive = std::find(shown_drives_.begin(), shown_drives_.end(), form_.Drive1.Drive);
  SendMessageW(item(kDrive1), CB_SETCURSEL,
               drive == shown_drives_.end() ? static_cast<WPARAM>(-1)
                                            : static_cast<WPARAM>(drive - shown_drives_.begin()),
               0);
  SyncFolderList();
  SyncFileList();
  SetCursor(LoadCursorW(nullptr, form_.ScreenMousePointer == window::MousePointer::kHourglass
                                     ? IDC_WAIT
                                     : IDC_ARROW));
}

void MainWindow::SyncFolderList() {
  if (form_.Dir1.Path == shown_folder_) return;
  shown_folder_ = form_.Dir1.Path;
  // The folder list shows the path down to the current folder, one level per
  // row, then the current folder's sub-folders one level deeper.
  folder_paths_.clear();
  std::vector<std::string> rows;
  std::string path = shown_folder_;
  std::size_t start = 0;
  int depth = 0;
  while (start < path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(start, end - start);
    std::string full = path.substr(0, end);
    if (depth == 0) full += '\\';
    if (!name.empty()) {
      rows.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + (depth == 0 ? full : name));
      folder_paths_.push_back(full);
      ++depth;
    }
    start = end + 1;
  }
  const std::size_t current = folder_paths_.empty() ? 0 : folder_paths_.size() - 1;
  try {
    std::string listed = shown_folder_;
    if (listed.empty() || listed.back() != '\\') listed += '\\';
    for (const auto& entry : folders_.List(listed)) {
      if (entry.kind != platform::EntryKind::kFolder || entry.name == "." || entry.name == "..") {
        continue;
      }
      rows.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + entry.name);
      folder_paths_.push_back(listed + entry.name);
    }
  } catch (const std::exception&) {
    // An unreadable folder shows no sub-folders; File1 reports the failure.
  }
  const HWND list = GetDlgItem(AsWindow(window_), kDir1);
  SetItems(list, LB_RESETCONTENT, LB_ADDSTRING, rows);
  SendMessageW(list, LB_SETCURSEL, current, 0);
}

void MainWindow::SyncFileList() {
  const HWND list = GetDlgItem(AsWindow(window_), kFile1);
  std::vector<std::string> names;
  const int count = form_.File1.ListCount();
  for (int i = 0; i < count; ++i) names.push_back(form_.File1.List(i));
  if (names != shown_files_ || form_.File1.Path() != shown_file_folder_) {
    shown_files_ = names;
    shown_file_folder_ = form_.File1.Path();
    SetItems(list, LB_RESETCONTENT, LB_ADDSTRING, names);
  }
  for (int i = 0; i < count; ++i) {
    const bool on = form_.File1.Selected(i);
    if ((SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) != on) {
      SendMessageW(list, LB_SETSEL, on ? TRUE : FALSE, i);
    }
  }
}

std::intptr_t MainWindow::Handle(void* handle, unsigned message, std::uintptr_t wparam,
                                 std::intptr_t lparam) {
  if (window_ == nullptr) window_ = handle;  // messages arrive before CreateWindowExW returns
  const HWND window = AsWindow(handle);
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == kTimer1) {
        form_.Timer1_Timer();
        Sync();
      }
      return 0;
    case WM_SETCURSOR:
      if (form_.ScreenMousePointer == window::MousePointer::kHourglass) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == GetDlgItem(window, kLabel2)) {
        SetBkColor(reinterpret_cast<HDC>(wparam), RGB(255, 255, 255));
        return reinterpret_cast<std::intptr_t>(white_);
      }
      break;
    case WM_DESTROY:
      KillTimer(window, kTimer1);
      if (font_ != nullptr) DeleteObject(static_cast<HFONT>(font_));
      if (white_ != nullptr) DeleteObject(static_cast<HBRUSH>(white_));
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace varnlink::win32
