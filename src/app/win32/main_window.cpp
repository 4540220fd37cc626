#include "app/win32/main_window.h"

#include <richedit.h>
#include <windows.h>

#include <algorithm>
#include <exception>
#include <optional>

#include "app/win32/win32_dpi.h"
#include "platform/win32/wide_text.h"
#include "text/report_text.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace varnlink::app::win32 {
namespace {

using text::ShownText;
using platform::Utf8ToWide;
using platform::WideToUtf8;
using window::ControlId;
using window::ControlKind;

// How a kind of control of the layout table is made on Windows.
struct NativeControl {
  const wchar_t* window_class;  // nullptr: the rich-edit class
  DWORD style;
  DWORD ex_style = 0;
};

NativeControl NativeControlOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kCaption:
      return {L"STATIC", SS_LEFT};
    case ControlKind::kText:
      return {L"STATIC", SS_LEFT | SS_NOPREFIX};
    case ControlKind::kField:
      return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX};
    case ControlKind::kReportPane:
      return {nullptr,
              WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                  ES_AUTOVSCROLL | ES_AUTOHSCROLL,
              WS_EX_CLIENTEDGE};
    case ControlKind::kButton:
      return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::kCheckBox:
      return {L"BUTTON", WS_TABSTOP | BS_CHECKBOX | BS_MULTILINE};
    case ControlKind::kGroupBox:
      return {L"BUTTON", BS_GROUPBOX};
    case ControlKind::kOptionButton:
      // The group's first button takes the group's one tab stop (see MakeControls).
      return {L"BUTTON", BS_RADIOBUTTON | BS_MULTILINE};
    case ControlKind::kDropDownList:
      return {L"COMBOBOX", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL};
    case ControlKind::kFolderTree:
      return {L"LISTBOX", WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT};
    case ControlKind::kTextList:
      return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT};
    case ControlKind::kMultiSelectList:
      return {L"LISTBOX", WS_TABSTOP | LBS_NOTIFY | LBS_EXTENDEDSEL | WS_VSCROLL | WS_BORDER |
                              LBS_NOINTEGRALHEIGHT};
  }
  return {L"STATIC", 0};
}

// The order to make the controls in: the layout table's tab order, which the
// dialog keys (IsDialogMessageW) follow, except that a group box comes right
// after the controls it holds, so it lies beneath them and they paint over it.
std::vector<const window::Control*> MakingOrder() {
  std::vector<const window::Control*> order;
  const window::Control* pending_group_box = nullptr;
  for (const window::Control& control : window::Controls()) {
    if (pending_group_box != nullptr && control.parent != pending_group_box->id) {
      order.push_back(pending_group_box);
      pending_group_box = nullptr;
    }
    if (control.kind == ControlKind::kGroupBox) {
      pending_group_box = &control;
    } else {
      order.push_back(&control);
    }
  }
  if (pending_group_box != nullptr) order.push_back(pending_group_box);
  return order;
}

HWND AsWindow(void* handle) { return static_cast<HWND>(handle); }

HWND Item(HWND window, ControlId id) { return GetDlgItem(window, ControlNumber(id)); }

// The rich-edit class: RichEdit 4.1 (Msftedit.dll) where present, else 2.0.
const wchar_t* RichEditClass() {
  if (LoadLibraryW(L"Msftedit.dll") != nullptr) return MSFTEDIT_CLASS;
  LoadLibraryW(L"Riched20.dll");
  return RICHEDIT_CLASSW;
}

void SetText(HWND control, const std::string& text) {
  SetWindowTextW(control, Utf8ToWide(text).c_str());
}

// Sets a short text, as the report shows text, only when it changed, so the
// control does not repaint.
void ShowText(HWND control, const std::string& text) {
  const std::wstring wanted = Utf8ToWide(ShownText(text));
  std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  shown.resize(static_cast<std::size_t>(
      GetWindowTextW(control, shown.data(), static_cast<int>(shown.size()))));
  if (shown != wanted) SetWindowTextW(control, wanted.c_str());
}

// Fills a list with `items` as the report shows text; row i is items[i].
void SetItems(HWND list, UINT reset, UINT add, const std::vector<std::string>& items) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, reset, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(list, add, 0, reinterpret_cast<LPARAM>(Utf8ToWide(ShownText(item)).c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The folder list's rows for `folder` and each row's full path: the path
// down to the folder, one level per row, then the folder's sub-folders one
// level deeper. Returns the folder's own row.
std::size_t FolderRows(const platform::FolderListing& folders, const std::string& folder,
                       std::vector<std::string>& rows, std::vector<std::string>& paths) {
  std::size_t start = 0;
  std::size_t depth = 0;
  while (start < folder.size()) {
    std::size_t end = folder.find('\\', start);
    if (end == std::string::npos) end = folder.size();
    const std::string name = folder.substr(start, end - start);
    std::string full = folder.substr(0, end);
    if (depth == 0) full += '\\';
    if (!name.empty()) {
      rows.push_back(std::string(depth * 2, ' ') + (depth == 0 ? full : name));
      paths.push_back(full);
      ++depth;
    }
    start = end + 1;
  }
  const std::size_t current = depth == 0 ? 0 : depth - 1;
  try {
    std::string listed = folder;
    if (listed.empty() || listed.back() != '\\') listed += '\\';
    for (const auto& entry : folders.List(listed)) {
      if (entry.kind != platform::EntryKind::kFolder || entry.name == "." || entry.name == "..") {
        continue;
      }
      rows.push_back(std::string(depth * 2, ' ') + entry.name);
      paths.push_back(listed + entry.name);
    }
  } catch (const std::exception&) {
    // An unreadable folder shows no sub-folders; opening it reported the failure.
  }
  return current;
}

// The main window's outer size for the design's client area at `dpi`.
RECT DesignFrame(int dpi) {
  const window::PixelSize client = window::ToPixels(window::DesignClientSize(), dpi);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectForDpi(&frame, WS_OVERLAPPEDWINDOW, 0, dpi);
  return frame;
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

MainWindow::MainWindow(window::MainWindowModel& model, const platform::FolderListing& folders)
    : model_(model), folders_(folders) {}

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

  // The design's client area before the window is maximised, at the system's
  // DPI until the window knows its monitor's.
  dpi_ = WindowDpi(nullptr);
  // No WS_CLIPCHILDREN: the group box paints only its frame, and the window
  // must paint the area inside it.
  const DWORD style = WS_OVERLAPPEDWINDOW;
  const RECT frame = DesignFrame(dpi_);
  const HWND window = CreateWindowExW(0, kWindowClass, Utf8ToWide(model_.caption).c_str(), style,
                                      CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                      frame.bottom - frame.top, nullptr, nullptr, module, this);
  if (window == nullptr) return false;
  window_ = window;
  if (const int dpi = WindowDpi(window); dpi != dpi_) {
    dpi_ = dpi;
    const RECT scaled = DesignFrame(dpi_);
    SetWindowPos(window, nullptr, 0, 0, scaled.right - scaled.left, scaled.bottom - scaled.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  MakeControls();
  UseFonts();
  PlaceControls();
  Run([this] { model_.Load(); });
  ShowWindow(window, model_.maximized ? SW_SHOWMAXIMIZED : show);
  UpdateWindow(window);
  SetFocus(Item(window, ControlId::kAudit));
  return true;
}

void MainWindow::MakeControls() {
  const HWND window = AsWindow(window_);
  const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
  white_ = CreateSolidBrush(RGB(255, 255, 255));
  const wchar_t* rich_edit = RichEditClass();

  // Arrow keys move among a group's option buttons, from the first (WS_GROUP)
  // to the next control that starts a group.
  bool in_option_group = false;
  for (const window::Control* made_next : MakingOrder()) {
    const window::Control& control = *made_next;
    NativeControl native = NativeControlOf(control.kind);
    if (control.kind != ControlKind::kGroupBox) {
      const bool option = control.kind == ControlKind::kOptionButton;
      if (option != in_option_group) native.style |= WS_GROUP;
      if (option && !in_option_group) native.style |= WS_TABSTOP;
      in_option_group = option;
    }
    const std::wstring caption = Utf8ToWide(std::string(control.caption));
    const HWND made = CreateWindowExW(
        native.ex_style, native.window_class != nullptr ? native.window_class : rich_edit,
        caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | native.style, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlNumber(control.id))), module, nullptr);
    if (made == nullptr) continue;
    if (control.kind == ControlKind::kReportPane) {
      SendMessageW(made, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
      SendMessageW(made, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    }
  }
}

void MainWindow::UseFonts() {
  const HWND window = AsWindow(window_);
  const auto font = [this](int tenths_of_points, const wchar_t* face) {
    return CreateFontW(-MulDiv(tenths_of_points, dpi_, 720), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
  };
  // The dialog font, 8 points, and the report's "MS Sans Serif", 8.5 points,
  // both at the window's DPI.
  const HFONT controls = font(80, L"MS Shell Dlg");
  const HFONT report = font(85, L"MS Sans Serif");
  for (const window::Control& control : window::Controls()) {
    const HFONT chosen = control.kind == ControlKind::kReportPane ? report : controls;
    SendMessageW(Item(window, control.id), WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
  }
  DeleteFonts();
  control_font_ = controls;
  report_font_ = report;
}

void MainWindow::DeleteFonts() {
  if (control_font_ != nullptr) DeleteObject(static_cast<HFONT>(control_font_));
  if (report_font_ != nullptr) DeleteObject(static_cast<HFONT>(report_font_));
  control_font_ = report_font_ = nullptr;
}

void MainWindow::PlaceControls() {
  const HWND window = AsWindow(window_);
  if (Item(window, ControlId::kAudit) == nullptr) return;  // sized while being made
  RECT area{};
  GetClientRect(window, &area);
  const window::PixelSize client{area.right - area.left, area.bottom - area.top};
  HDWP moves = BeginDeferWindowPos(static_cast<int>(window::Controls().size()));
  for (const window::Control& control : window::Controls()) {
    window::PixelRect place = window::PlaceInWindow(control, client, dpi_);
    if (control.kind == ControlKind::kDropDownList)
      place.height = window::TwipsToPixels(window::DroppedDriveListHeight(), dpi_);
    const HWND item = Item(window, control.id);
    if (moves != nullptr) {
      moves = DeferWindowPos(moves, item, nullptr, place.left, place.top, place.width, place.height,
                             SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      SetWindowPos(item, nullptr, place.left, place.top, place.width, place.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (moves != nullptr) EndDeferWindowPos(moves);
  InvalidateRect(window, nullptr, TRUE);
}

void MainWindow::OpenPath(const std::string& path) {
  Run([this, &path] { model_.OpenPath(path); });
}

template <typename Handler>
void MainWindow::Run(Handler handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    Sync();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    MessageBoxW(AsWindow(window_), Utf8ToWide(ShownText(e.what())).c_str(), L"Varnlink",
                MB_OK | MB_ICONERROR);
  }
  Sync();
}

void MainWindow::OnCommand(int id, int code) {
  const HWND window = AsWindow(window_);
  const auto folder_row = [&]() -> const std::string* {
    const auto row = SendMessageW(Item(window, ControlId::kFolderList), LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<std::size_t>(row) >= folder_paths_.size()) return nullptr;
    return &folder_paths_[static_cast<std::size_t>(row)];
  };

  if (const window::CheckBox* box = model_.CheckBoxOf(static_cast<ControlId>(id))) {
    if (code != BN_CLICKED) return;
    const bool ticked = !box->ticked;
    // "Include Jump Lists" lists the folder again, which may take a while.
    if (id == ControlNumber(ControlId::kIncludeJumpLists))
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    Run([this, id, ticked] { model_.CheckBoxClicked(static_cast<ControlId>(id), ticked); });
    return;
  }
  if (const auto filter = window::FilterOf(static_cast<ControlId>(id))) {
    if (code != BN_CLICKED) return;
    model_.target_filter = *filter;
    Sync();
    return;
  }
  switch (id) {
    case ControlNumber(ControlId::kAudit):
      if (code != BN_CLICKED) return;
      // The run holds the thread; the hourglass stays until it ends.
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      Run([this] { model_.Audit(); });
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      // The report is drawn while the run's closing messages are up.
      Run([this] { model_.AnnounceOutcome(); });
      return;
    case ControlNumber(ControlId::kPrint):
      if (code == BN_CLICKED) Run([this] { model_.Print(); });
      return;
    case ControlNumber(ControlId::kCopy):
      if (code == BN_CLICKED) Run([this] { model_.Copy(); });
      return;
    case ControlNumber(ControlId::kQuarantine):
      if (code == BN_CLICKED) Run([this] { model_.Quarantine(); });
      return;
    case ControlNumber(ControlId::kRestore):
      if (code == BN_CLICKED) Run([this] { model_.Restore(); });
      return;
    case ControlNumber(ControlId::kDriveList): {
      if (code != CBN_SELCHANGE) return;
      const auto row = SendMessageW(Item(window, ControlId::kDriveList), CB_GETCURSEL, 0, 0);
      const std::vector<std::string>& drives = model_.drive_list.drives;
      if (row < 0 || static_cast<std::size_t>(row) >= drives.size()) return;
      const std::string drive = drives[static_cast<std::size_t>(row)];
      Run([this, &drive] { model_.ChangeDrive(drive); });
      return;
    }
    case ControlNumber(ControlId::kFolderList): {
      const std::string* path = folder_row();
      if (path == nullptr) return;
      const std::string chosen = *path;  // Sync replaces the rows
      if (code == LBN_SELCHANGE) {
        Run([this, &chosen] { model_.HighlightFolder(chosen); });
      } else if (code == LBN_DBLCLK) {
        Run([this, &chosen] { model_.OpenFolder(chosen); });
      }
      return;
    }
    case ControlNumber(ControlId::kShortcutList): {
      if (code != LBN_SELCHANGE) return;
      const HWND list = Item(window, ControlId::kShortcutList);
      window::ShortcutList& shortcuts = model_.shortcut_list;
      for (std::size_t i = 0; i < shortcuts.Count(); ++i) {
        shortcuts.SetSelected(i, SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0);
      }
      Run([this] { model_.SelectionChanged(); });
      return;
    }
    case IDOK: {
      // Enter in the folder list opens the highlighted folder, as a double-click does.
      if (GetFocus() != Item(window, ControlId::kFolderList)) return;
      const std::string* path = folder_row();
      if (path == nullptr) return;
      const std::string chosen = *path;
      Run([this, &chosen] { model_.OpenFolder(chosen); });
      return;
    }
    default:
      return;
  }
}

void MainWindow::Sync() {
  const HWND window = AsWindow(window_);
  const auto item = [&](ControlId id) { return Item(window, id); };

  ShowText(item(ControlId::kResultText), model_.result_text);
  ShowText(item(ControlId::kChosenFolder), model_.chosen_folder);
  EnableWindow(item(ControlId::kQuarantine), model_.quarantine_enabled ? TRUE : FALSE);
  EnableWindow(item(ControlId::kRestore), model_.restore_enabled ? TRUE : FALSE);
  for (const window::Control& control : window::Controls()) {
    const HWND button = item(control.id);
    if (const window::CheckBox* box = model_.CheckBoxOf(control.id)) {
      SendMessageW(button, BM_SETCHECK, box->ticked ? BST_CHECKED : BST_UNCHECKED, 0);
      EnableWindow(button, box->enabled ? TRUE : FALSE);
    } else if (const auto filter = window::FilterOf(control.id)) {
      SendMessageW(button, BM_SETCHECK,
                   *filter == model_.target_filter ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
  if (model_.report != shown_report_) {
    shown_report_ = model_.report;
    SetText(item(ControlId::kReport), shown_report_);
  }
  if (model_.selected_names != shown_selected_names_) {
    shown_selected_names_ = model_.selected_names;
    SetItems(item(ControlId::kSelectedNames), LB_RESETCONTENT, LB_ADDSTRING, shown_selected_names_);
  }

  const HWND drive_list = item(ControlId::kDriveList);
  if (model_.drive_list.drives != shown_drives_) {
    shown_drives_ = model_.drive_list.drives;
    SetItems(drive_list, CB_RESETCONTENT, CB_ADDSTRING, shown_drives_);
  }
  const auto drive = std::find(shown_drives_.begin(), shown_drives_.end(), model_.drive_list.drive);
  SendMessageW(drive_list, CB_SETCURSEL,
               drive == shown_drives_.end() ? static_cast<WPARAM>(-1)
                                            : static_cast<WPARAM>(drive - shown_drives_.begin()),
               0);

  if (model_.folder_list.path != shown_folder_) {
    shown_folder_ = model_.folder_list.path;
    std::vector<std::string> rows;
    folder_paths_.clear();
    const std::size_t current = FolderRows(folders_, shown_folder_, rows, folder_paths_);
    const HWND folder_list = item(ControlId::kFolderList);
    SetItems(folder_list, LB_RESETCONTENT, LB_ADDSTRING, rows);
    SendMessageW(folder_list, LB_SETCURSEL, current, 0);
  }

  const HWND shortcut_list = item(ControlId::kShortcutList);
  const window::ShortcutList& shortcuts = model_.shortcut_list;
  if (shortcuts.Names() != shown_shortcuts_ || shortcuts.Path() != shown_shortcut_folder_) {
    shown_shortcuts_ = shortcuts.Names();
    shown_shortcut_folder_ = shortcuts.Path();
    SetItems(shortcut_list, LB_RESETCONTENT, LB_ADDSTRING, shown_shortcuts_);
  }
  for (std::size_t i = 0; i < shortcuts.Count(); ++i) {
    const bool on = shortcuts.Selected(i);
    if ((SendMessageW(shortcut_list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) != on) {
      SendMessageW(shortcut_list, LB_SETSEL, on ? TRUE : FALSE, static_cast<LPARAM>(i));
    }
  }
  SetCursor(LoadCursorW(nullptr,
                        model_.pointer == window::MousePointer::kHourglass ? IDC_WAIT : IDC_ARROW));
}

std::intptr_t MainWindow::Handle(void* handle, unsigned message, std::uintptr_t wparam,
                                 std::intptr_t lparam) {
  if (window_ == nullptr) window_ = handle;  // messages arrive before CreateWindowExW returns
  const HWND window = AsWindow(handle);
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_SETCURSOR:
      if (model_.pointer == window::MousePointer::kHourglass) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == Item(window, ControlId::kChosenFolder)) {
        SetBkColor(reinterpret_cast<HDC>(wparam), RGB(255, 255, 255));
        return reinterpret_cast<std::intptr_t>(white_);
      }
      break;
    case WM_SIZE:
      PlaceControls();
      return 0;
    case WM_GETMINMAXINFO: {
      // The layout table's size is the smallest the client area gets.
      const RECT frame = DesignFrame(dpi_);
      auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale: the text and every place follow.
      dpi_ = static_cast<int>(HIWORD(wparam));
      UseFonts();
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      PlaceControls();
      return 0;
    }
    case WM_DESTROY:
      DeleteFonts();
      if (white_ != nullptr) DeleteObject(static_cast<HBRUSH>(white_));
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace varnlink::app::win32
