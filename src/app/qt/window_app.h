#pragma once

#include <optional>
#include <string>

#include "app/qt/cups_printer.h"
#include "app/qt/main_window.h"
#include "app/qt/qt_clipboard.h"
#include "app/qt/qt_folder_picker.h"
#include "app/qt/qt_message_dialog.h"
#include "app/qt/qt_question_dialog.h"
#include "platform/linux/linux_file_services.h"
#include "platform/linux/linux_folder_listing.h"
#include "window/main_window_model.h"

namespace varnlink::app::qt {

// The desktop application put together: the Linux file services and file
// mover, Qt's message boxes, questions, folder chooser and clipboard, the CUPS printer, the window model and its
// window. Needs a QApplication; parses no command line.
class WindowApp {
 public:
  WindowApp();

  // Loads and shows the window; when given, opens `path` (relative to the
  // current folder): a folder as the user would, a shortcut file's folder
  // with that shortcut selected.
  void Start(const std::optional<std::string>& path);

  [[nodiscard]] window::MainWindowModel& Model() { return model_; }
  [[nodiscard]] MainWindow& Window() { return window_; }

 private:
  platform::LinuxFileServices files_;
  platform::LinuxFolderListing folders_;
  QtMessageDialog messages_;
  CupsPrinter printer_;
  QtClipboard clipboard_;
  QtFolderPicker folder_picker_;
  QtQuestionDialog question_;
  window::MainWindowModel model_;
  MainWindow window_;
};

}  // namespace varnlink::app::qt
