#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace varnlink::platform {
class FolderListing;
class MessageDialog;
}  // namespace varnlink::platform
namespace varnlink::window {
class Form1;
}

namespace varnlink::app {

class FolderView;
class ReportView;

// Form1 on screen. It places one widget per control at its design position
// (no layout follows the window's size), forwards each user action to the
// model as its event and copies the model back into the widgets in Sync. It
// holds no state of its own beyond what was last drawn, shows every error
// that escapes a handler in a message box, and decides nothing about auditing.
class MainWindow : public QWidget {
 public:
  MainWindow(window::Form1& form, const platform::FolderListing& folders, char separator,
             platform::MessageDialog& messages);

  // Runs Form_Load, draws the model and shows the window (maximised as the
  // model says), with the timer running.
  void Load();

  // Opens `folder` as a double-click in the folder list would.
  void OpenFolder(const std::string& folder);

  // Copies the model into the widgets; returns at once when the model's
  // revision is the one last drawn and `force` is false.
  void Sync(bool force = false);

 private:
  void CreateControls();
  void ConnectControls();
  void SetTabOrder();

  // Runs one event handler: errors become a message box naming the action,
  // `busy` shows the hourglass until the handler returns, however it returns.
  // User actions redraw everything afterwards; timer ticks only what changed.
  template <typename Handler>
  void Raise(const char* action, Handler&& handler, bool busy = false, bool force_sync = true);

  void SyncLists();
  void SyncFileList();
  void SyncChoices();

  window::Form1& form_;
  const platform::FolderListing& folders_;
  char separator_;
  platform::MessageDialog& messages_;
  QTimer timer1_;
  std::uint64_t drawn_revision_ = 0;
  bool drawn_once_ = false;
  std::vector<std::string> drawn_file_names_;
  std::string drawn_file_path_;
  std::vector<std::string> drawn_list2_;
  std::vector<std::string> drawn_drives_;

  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  QLabel* label3_ = nullptr;
  QLabel* label4_ = nullptr;
  QLabel* label5_ = nullptr;
  QLabel* label6_ = nullptr;
  ReportView* text1_ = nullptr;
  QListWidget* list1_ = nullptr;
  QListWidget* list2_ = nullptr;
  QPushButton* command1_ = nullptr;
  QPushButton* command2_ = nullptr;
  QPushButton* command3_ = nullptr;
  QCheckBox* check1_ = nullptr;
  QCheckBox* check2_ = nullptr;
  QCheckBox* check3_ = nullptr;
  QComboBox* drive1_ = nullptr;
  FolderView* dir1_ = nullptr;
  QListWidget* file1_ = nullptr;
  QGroupBox* frame1_ = nullptr;
  QRadioButton* option1_ = nullptr;
  QRadioButton* option2_ = nullptr;
  QRadioButton* option3_ = nullptr;
};

}  // namespace varnlink::app
