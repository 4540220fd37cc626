#pragma once

#include <optional>
#include <string>

#include "app/qt/main_window.h"
#include "app/qt/qt_clipboard.h"
#include "app/qt/qt_message_dialog.h"
#include "app/qt/qt_printer.h"
#include "platform/posix/posix_file_services.h"
#include "platform/posix/posix_folder_listing.h"
#include "window/form1.h"

namespace varnlink::app {

// The desktop application put together: the POSIX file services, Qt's
// message boxes, printer and clipboard, the window model and its window.
// Needs a QApplication; parses no command line.
class WindowApp {
 public:
  WindowApp();

  // Loads and shows the window; opens `folder` (relative to the current
  // folder) as the user would, when given.
  void Start(const std::optional<std::string>& folder);

  [[nodiscard]] window::Form1& Form() { return form_; }
  [[nodiscard]] MainWindow& Window() { return window_; }

 private:
  platform::PosixFileServices files_;
  platform::PosixFolderListing folders_;
  QtMessageDialog messages_;
  QtPrinter printer_;
  QtClipboard clipboard_;
  window::Form1 form_;
  MainWindow window_;
};

}  // namespace varnlink::app
