#pragma once

#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "window/layout.h"
#include "window/message_dialog.h"

class QComboBox;
class QLabel;
class QListWidget;

namespace varnlink::platform {
class FolderListing;
class MessageDialog;
}  // namespace varnlink::platform
namespace varnlink::window {
class MainWindowModel;
struct CheckBox;
}  // namespace varnlink::window

namespace varnlink::app::qt {

class FolderView;
class ReportView;

// The window model on screen with Qt widgets. It places one widget per control
// of the layout table where the table says for the window's size (never
// smaller than the table's), names each for screen readers as the table does,
// turns each user action into the model's handler and then copies the model
// into the widgets in Sync, names as the report shows them. It keeps no state
// of the model's, shows every error that escapes a handler in a message box
// naming the action, and decides nothing about auditing.
class MainWindow : public QWidget {
 public:
  MainWindow(window::MainWindowModel& model, const platform::FolderListing& folders, char separator,
             window::MessageDialog& messages);

  // Loads the model, draws it and shows the window (maximised as the model
  // says) with the focus on Audit.
  void Load();

  // Opens the folder or shortcut file named at the start (the model's
  // OpenPath): a folder as a click and a double-click on it in the folder
  // list would, a shortcut's folder so with that shortcut selected.
  void OpenPath(const std::string& path);

  // Copies the whole model into the widgets. Unchanged lists are not redrawn.
  void Sync();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreateControls();
  void ConnectControls();

  // Runs one handler: an error that escapes it becomes a message box naming
  // `action`; `busy` shows the hourglass until the handler returns, however
  // it returns. The widgets show the model afterwards either way.
  template <typename Handler>
  void Run(const char* action, Handler&& handler, bool busy = false);

  template <typename Widget>
  [[nodiscard]] Widget* WidgetOf(window::ControlId id) const;

  window::MainWindowModel& model_;
  const platform::FolderListing& folders_;
  char separator_;
  window::MessageDialog& messages_;

  // One widget per row of the layout table, in the table's order.
  std::vector<std::pair<window::ControlId, QWidget*>> widgets_;
  QLabel* result_text_ = nullptr;
  QLabel* chosen_folder_ = nullptr;
  ReportView* report_ = nullptr;
  QListWidget* selected_names_ = nullptr;
  QComboBox* drive_list_ = nullptr;
  FolderView* folder_list_ = nullptr;
  QListWidget* shortcut_list_ = nullptr;
};

}  // namespace varnlink::app::qt
