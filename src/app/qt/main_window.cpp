#include "app/qt/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QItemSelection>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <exception>
#include <optional>

#include "app/qt/control_font.h"
#include "app/qt/folder_view.h"
#include "app/qt/report_view.h"
#include "app/qt/twips.h"
#include "platform/folder_listing.h"
#include "platform/message_dialog.h"
#include "window/form1.h"

namespace varnlink::app {
namespace {

#include "app/qt/varnlink_icon.xpm"

// The window's design size (client area before it is maximised).
constexpr int kClientWidthTwips = 11805;
constexpr int kClientHeightTwips = 8355;

// Shows the hourglass while it lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(TwipsRect(left, top, width, height));
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* label = Place(new QLabel(parent), name, left, top, width, height);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  return label;
}

QStringList ToQStringList(const std::vector<std::string>& texts) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(texts.size()));
  for (const std::string& text : texts) list.append(QString::fromStdString(text));
  return list;
}

void SetCaption(QLabel* label, const std::string& caption) {
  const QString text = QString::fromStdString(caption);
  if (label->text() != text) label->setText(text);
}

}  // namespace

MainWindow::MainWindow(window::Form1& form, const platform::FolderListing& folders, char separator,
                       platform::MessageDialog& messages)
    : form_(form), folders_(folders), separator_(separator), messages_(messages) {
  setFont(ControlFont());
  setWindowIcon(QIcon(QPixmap(varnlink_icon_xpm)));
  resize(TwipsSize(kClientWidthTwips, kClientHeightTwips));
  CreateControls();
  SetTabOrder();
  ConnectControls();
}

void MainWindow::CreateControls() {
  label6_ = MakeLabel(this, "Label6", 120, 0, 1575, 375);
  text1_ = Place(new ReportView(this), "Text1", 120, 360, 10575, 2775);
  list1_ = Place(new QListWidget(this), "List1", 0, 600, 7455, 840);
  list1_->setVisible(false);  // the run's paths; never shown
  list1_->setFocusPolicy(Qt::NoFocus);
  command1_ =
      Place(new QPushButton(QStringLiteral("Audit"), this), "Command1", 120, 3240, 1335, 735);
  command2_ =
      Place(new QPushButton(QStringLiteral("Print"), this), "Command2", 1680, 3240, 1455, 735);
  command3_ =
      Place(new QPushButton(QStringLiteral("Copy"), this), "Command3", 3360, 3240, 1455, 735);
  label1_ = MakeLabel(this, "Label1", 5280, 3240, 3495, 375);
  label3_ = MakeLabel(this, "Label3", 120, 4200, 1455, 255);
  label2_ = MakeLabel(this, "Label2", 1680, 4200, 9015, 255);
  label2_->setAutoFillBackground(true);
  QPalette white = label2_->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  label2_->setPalette(white);
  label2_->setFrameShape(QFrame::Panel);
  label2_->setFrameShadow(QFrame::Sunken);
  label4_ = MakeLabel(this, "Label4", 120, 4680, 1575, 375);
  list2_ = Place(new QListWidget(this), "List2", 1680, 4560, 4695, 645);
  list2_->setSelectionMode(QAbstractItemView::NoSelection);
  check1_ = Place(new QCheckBox(QStringLiteral("Search Sub Directories"), this), "Check1", 6720,
                  4560, 2775, 495);
  check2_ = Place(new QCheckBox(QStringLiteral("Warn of Duplicate Targets"), this), "Check2", 6720,
                  5040, 3015, 375);
  check3_ =
      Place(new QCheckBox(
                QStringLiteral("Warn of Duplicate Targets WITH Duplicate Parameter Strings"), this),
            "Check3", 6720, 5520, 4815, 255);
  label5_ = MakeLabel(this, "Label5", 120, 5640, 2535, 255);
  drive1_ = Place(new QComboBox(this), "Drive1", 120, 5880, 1335, 315);
  dir1_ = Place(new FolderView(folders_, separator_, this), "Dir1", 1680, 5880, 4575, 1890);
  file1_ = Place(new QListWidget(this), "File1", 6720, 5880, 3135, 2040);
  file1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  file1_->setUniformItemSizes(true);
  frame1_ = Place(new QGroupBox(QStringLiteral("Targets"), this), "Frame1", 120, 6360, 1335, 1815);
  option1_ = Place(new QRadioButton(QStringLiteral("All Targets"), frame1_), "Option1", 120, 240,
                   1095, 255);
  option2_ = Place(new QRadioButton(QStringLiteral(".EXE Targets "), frame1_), "Option2", 120, 600,
                   1095, 615);
  option3_ = Place(new QRadioButton(QStringLiteral("Non .EXE Targets"), frame1_), "Option3", 120,
                   1200, 1095, 495);
  // Tall option buttons and check boxes show their captions on several lines.
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
           option1_, option2_, option3_, check1_, check2_, check3_}) {
    const int lines = button->height() / std::max(1, button->fontMetrics().lineSpacing());
    if (lines < 2) continue;
    button->setText(WrappedCaption(button->text(), button->fontMetrics(), button->width() - 20));
  }
}

void MainWindow::SetTabOrder() {
  // The design's tab indexes, leaving out what takes no focus (labels, the
  // frame, the hidden List1).
  const std::vector<QWidget*> order = {command1_, drive1_,   dir1_,   file1_,   list2_,
                                       check1_,   check2_,   check3_, option1_, option2_,
                                       option3_,  command2_, text1_,  command3_};
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void MainWindow::ConnectControls() {
  connect(command1_, &QPushButton::clicked, this, [this] {
    Raise(
        "Audit", [this] { form_.Command1_Click(); }, true);
  });
  connect(command2_, &QPushButton::clicked, this, [this] {
    Raise(
        "Print", [this] { form_.Command2_Click(); }, true);
  });
  connect(command3_, &QPushButton::clicked, this,
          [this] { Raise("Copy", [this] { form_.Command3_Click(); }); });

  connect(drive1_, &QComboBox::activated, this, [this](int index) {
    const std::string drive = drive1_->itemText(index).toStdString();
    if (drive == form_.Drive1.Drive) return;
    Raise(
        "Choosing the drive",
        [this, drive] {
          form_.Drive1.Drive = drive;
          form_.Drive1_Change();
        },
        true);
  });
  dir1_->on_highlight = [this](const std::string& path) {
    Raise("Choosing the folder", [this, path] {
      form_.Dir1.Highlighted = path;
      form_.Dir1_Click();
    });
  };
  dir1_->on_open = [this](const std::string& path) {
    Raise(
        "Opening the folder", [this, path] { form_.SetDir1Path(path); }, true);
  };
  connect(file1_, &QListWidget::itemSelectionChanged, this, [this] {
    Raise("Selecting shortcuts", [this] {
      const int count = std::min<int>(file1_->count(), form_.File1.ListCount());
      for (int i = 0; i < count; ++i) form_.File1.SetSelected(i, file1_->item(i)->isSelected());
      form_.File1_Click();
    });
  });

  const auto tick = [](window::CheckBox& box) {
    return [&box](bool checked) { box.Value = checked ? 1 : 0; };
  };
  connect(check1_, &QCheckBox::clicked, this, tick(form_.Check1));
  connect(check2_, &QCheckBox::clicked, this, tick(form_.Check2));
  connect(check3_, &QCheckBox::clicked, this, tick(form_.Check3));
  const auto select = [this](window::OptionButton& chosen) {
    return [this, &chosen] {
      for (window::OptionButton* option : {&form_.Option1, &form_.Option2, &form_.Option3})
        option->Value = option == &chosen;
      SyncChoices();
    };
  };
  connect(option1_, &QRadioButton::clicked, this, select(form_.Option1));
  connect(option2_, &QRadioButton::clicked, this, select(form_.Option2));
  connect(option3_, &QRadioButton::clicked, this, select(form_.Option3));

  connect(&timer1_, &QTimer::timeout, this, [this] {
    Raise(
        "Timer", [this] { form_.Timer1_Timer(); }, false, false);
  });
}

template <typename Handler>
void MainWindow::Raise(const char* action, Handler&& handler, bool busy, bool force_sync) {
  std::string failure;
  {
    std::optional<WaitCursor> wait;
    if (busy) wait.emplace();
    try {
      handler();
    } catch (const std::exception& error) {
      failure = std::string(action) + " failed: " + error.what();
    } catch (...) {
      failure = std::string(action) + " failed for an unknown reason.";
    }
  }
  Sync(force_sync);
  if (!failure.empty()) messages_.Show(failure);
}

void MainWindow::Load() {
  form_.Form_Load();
  Sync(true);
  timer1_.setInterval(form_.Timer1.IntervalMs);
  if (form_.Timer1.Enabled) timer1_.start();
  if (form_.Maximized) {
    showMaximized();
  } else {
    show();
  }
  command1_->setFocus();
}

void MainWindow::OpenFolder(const std::string& folder) {
  Raise(
      "Opening the folder",
      [this, folder] {
        form_.Dir1.Highlighted = folder;
        form_.Dir1_Click();
        form_.SetDir1Path(folder);
      },
      true);
}

void MainWindow::Sync(bool force) {
  if (!force && drawn_once_ && form_.Revision() == drawn_revision_) return;
  drawn_once_ = true;
  drawn_revision_ = form_.Revision();

  const QString caption = QString::fromStdString(form_.Caption);
  if (windowTitle() != caption) setWindowTitle(caption);
  SetCaption(label1_, form_.Label1.Caption);
  SetCaption(label2_, form_.Label2.Caption);
  SetCaption(label3_, form_.Label3.Caption);
  SetCaption(label4_, form_.Label4.Caption);
  SetCaption(label5_, form_.Label5.Caption);
  SetCaption(label6_, form_.Label6.Caption);
  text1_->SetText(form_.Text1.Text.Text());
  SyncLists();
  SyncFileList();
  SyncChoices();
}

void MainWindow::SyncLists() {
  if (form_.List2.Items() != drawn_list2_) {
    drawn_list2_ = form_.List2.Items();
    list2_->clear();
    list2_->addItems(ToQStringList(drawn_list2_));
  }
  if (form_.Drive1.Drives != drawn_drives_) {
    drawn_drives_ = form_.Drive1.Drives;
    const QSignalBlocker blocker(drive1_);
    drive1_->clear();
    drive1_->addItems(ToQStringList(drawn_drives_));
  }
  const QString drive = QString::fromStdString(form_.Drive1.Drive);
  if (drive1_->currentText() != drive) {
    const QSignalBlocker blocker(drive1_);
    int index = drive1_->findText(drive);
    if (index < 0) {
      drive1_->addItem(drive);
      index = drive1_->count() - 1;
    }
    drive1_->setCurrentIndex(index);
  }

  // The folder tree hangs from the current drive's root when the folder lies
  // on that drive, else from the file system's root.
  std::string root(1, separator_);
  try {
    if (!form_.Drive1.Drive.empty()) {
      const std::string drive_root = folders_.DriveRoot(form_.Drive1.Drive);
      std::string within = form_.Dir1.Path;
      if (within.empty() || within.back() != separator_) within += separator_;
      if (within.compare(0, drive_root.size(), drive_root) == 0) root = drive_root;
    }
  } catch (const std::exception&) {
    // An unreadable drive still shows the folder from the file system's root.
  }
  dir1_->Show(root, form_.Dir1.Path, form_.Dir1.Highlighted);
}

void MainWindow::SyncFileList() {
  const QSignalBlocker blocker(file1_);
  const int count = form_.File1.ListCount();
  bool same = form_.File1.Path() == drawn_file_path_ &&
              static_cast<std::size_t>(count) == drawn_file_names_.size();
  for (int i = 0; same && i < count; ++i)
    same = form_.File1.List(i) == drawn_file_names_[static_cast<std::size_t>(i)];
  if (!same) {
    drawn_file_path_ = form_.File1.Path();
    drawn_file_names_.clear();
    for (int i = 0; i < count; ++i) drawn_file_names_.push_back(form_.File1.List(i));
    file1_->clear();
    file1_->addItems(ToQStringList(drawn_file_names_));
  }
  // One selection change for the whole list, not one per name.
  QItemSelection selection;
  for (int i = 0; i < count; ++i) {
    if (!form_.File1.Selected(i)) continue;
    int last = i;
    while (last + 1 < count && form_.File1.Selected(last + 1)) ++last;
    selection.select(file1_->model()->index(i, 0), file1_->model()->index(last, 0));
    i = last;
  }
  if (selection != file1_->selectionModel()->selection())
    file1_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::SyncChoices() {
  const auto draw_check = [](QCheckBox* box, const window::CheckBox& model) {
    box->setChecked(model.Value != 0);
    box->setEnabled(model.Enabled);
  };
  draw_check(check1_, form_.Check1);
  draw_check(check2_, form_.Check2);
  draw_check(check3_, form_.Check3);
  // The three option buttons take one tab stop together: the selected one.
  const std::pair<QRadioButton*, bool> options[] = {{option1_, form_.Option1.Value},
                                                    {option2_, form_.Option2.Value},
                                                    {option3_, form_.Option3.Value}};
  for (const auto& [button, selected] : options) {
    button->setChecked(selected);
    button->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

}  // namespace varnlink::app
