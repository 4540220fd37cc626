#pragma once

// The native Windows window: the layout table's controls as standard Win32
// controls, each with its table id as its control id, placed where the table
// says for the window's size and its monitor's DPI (per-monitor aware: text
// and places follow a move to a monitor of another scale), every user action
// turned into the model's handler, and one Sync that copies the model into
// the controls, names as the report shows them. It keeps no state of the
// model's; the only view state is what the controls were last given (the
// folder list's rows and their paths among it) and the DPI.

#include <cstdint>
#include <string>
#include <vector>

#include "window/layout.h"
#include "window/main_window_model.h"

namespace varnlink::app::win32 {

// The main window's class name; tests find the window by it.
inline constexpr const wchar_t* kWindowClass = L"VarnlinkMainWindow";

// The Win32 control id of a control of the layout table.
[[nodiscard]] constexpr int ControlNumber(window::ControlId id) { return static_cast<int>(id); }

class MainWindow {
 public:
  MainWindow(window::MainWindowModel& model, const platform::FolderListing& folders);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls, loads the model and shows the
  // window as the model says (maximised). False when the window cannot be made.
  bool Create(void* instance, int show);

  // The main window (HWND), for the message loop's keyboard navigation.
  [[nodiscard]] void* Window() const { return window_; }

  // Opens the folder or shortcut file named at the start (the model's
  // OpenPath): a folder as a click and a double-click on it in the folder
  // list would, a shortcut's folder so with that shortcut selected.
  void OpenPath(const std::string& path);

  // Handles one message of the main window (the window procedure's body).
  std::intptr_t Handle(void* window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

 private:
  void MakeControls();
  // Gives the controls fonts for the window's DPI, deleting the previous ones.
  void UseFonts();
  void DeleteFonts();
  // Places every control for the client area's size and the DPI.
  void PlaceControls();
  void OnCommand(int id, int code);
  // Runs one handler; an error that escapes it is shown in a message box.
  // The controls show the model afterwards either way.
  template <typename Handler>
  void Run(Handler handler);
  // Copies the whole model into the controls. Unchanged texts and lists are
  // not sent again.
  void Sync();

  window::MainWindowModel& model_;
  const platform::FolderListing& folders_;
  void* window_ = nullptr;        // HWND
  int dpi_ = 96;                  // of the monitor the window is on
  void* control_font_ = nullptr;  // HFONT of every control but the report
  void* report_font_ = nullptr;   // HFONT of the report
  void* white_ = nullptr;         // HBRUSH behind the chosen folder
  std::string shown_report_;
  std::string shown_folder_;
  std::vector<std::string> folder_paths_;  // full path of each folder-list row
  std::string shown_shortcut_folder_;
  std::vector<std::string> shown_shortcuts_;
  std::vector<std::string> shown_drives_;
  std::vector<std::string> shown_selected_names_;
};

}  // namespace varnlink::app::win32
