#pragma once

// The native Windows window: Form1's controls as standard Win32 controls
// placed at their twips positions (15 twips to the pixel), every user action
// turned into the model's event and one Sync that copies the model into the
// controls. It keeps no state of the model's own; the only view state is
// what the folder list shows (the folder tree around the current folder).

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "window/form1.h"

namespace varnlink::win32 {

// Control identifiers; the smoke test finds controls by them.
enum ControlId : int {
  kText1 = 101, kCommand1, kCommand2, kCommand3, kLabel1, kLabel2, kLabel3, kLabel4, kLabel5,
  kLabel6, kList2, kCheck1, kCheck2, kCheck3, kDrive1, kDir1, kFile1, kFrame1, kOption1,
  kOption2, kOption3,
};

inline constexpr const wchar_t* kWindowClass = L"VarnlinkForm1";

class MainWindow {
 public:
  MainWindow(window::Form1& form, const platform::FolderListing& folders);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls, runs Form_Load and shows the window
  // as the model says (maximised). False when the window cannot be made.
  bool Create(void* instance, int show);

  // The main window (HWND), for the message loop's keyboard navigation.
  [[nodiscard]] void* Window() const { return window_; }

  // Opens `folder` as a double-click in the folder list would.
  void OpenFolder(const std::string& folder);

  // Handles one message of the main window (the window procedure's body).
  std::intptr_t Handle(void* window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

 private:
  void MakeControls();
  void OnCommand(int id, int code);
  // Runs one model event; an error that escapes it is shown in a message box.
  template <typename Event>
  void Raise(Event event);
  void Sync();
  void SyncFolderList();
  void SyncFileList();

  window::Form1& form_;
  const platform::FolderListing& folders_;
  void* window_ = nullptr;  // HWND
  void* font_ = nullptr;    // HFONT of the report
  void* white_ = nullptr;   // HBRUSH behind Label2
  std::uint64_t synced_revision_ = ~std::uint64_t{0};
  std::string shown_report_;
  std::string shown_folder_;
  std::vector<std::string> folder_paths_;  // full path of each folder-list row
  std::string shown_file_folder_;
  std::vector<std::string> shown_files_;
  std::vector<std::string> shown_drives_;
  std::vector<std::string> shown_list2_;
};

}  // namespace varnlink::win32
