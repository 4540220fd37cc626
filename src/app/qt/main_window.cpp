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
#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>

#include "app/qt/control_font.h"
#include "app/qt/folder_view.h"
#include "app/qt/report_view.h"
#include "platform/folder_listing.h"
#include "window/message_dialog.h"
#include "text/report_text.h"
#include "window/main_window_model.h"

namespace varnlink::app::qt {
namespace {

#include "app/qt/varnlink_icon.xpm"

using window::ControlId;
using window::ControlKind;

// Shows the hourglass while it lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A name or message as the report shows it: control, layout and
// bidirectional characters as "?".
QString Shown(const std::string& text) { return QString::fromStdString(text::ShownText(text)); }

QRect ToQRect(const window::PixelRect& pixels) {
  return {pixels.left, pixels.top, pixels.width, pixels.height};
}

window::PixelSize DesignSize() { return window::ToPixels(window::DesignClientSize()); }

// Labels show their text as it is: a folder named "<b>x</b>" is not markup.
QLabel* MakeLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// A widget for one row of the layout table, caption set, not yet placed.
QWidget* MakeWidget(const window::Control& control, QWidget* parent,
                    const platform::FolderListing& folders, char separator) {
  const QString caption = ToQString(control.caption);
  switch (control.kind) {
    case ControlKind::kCaption:
    case ControlKind::kText: {
      QLabel* label = MakeLabel(parent);
      label->setText(caption);
      return label;
    }
    case ControlKind::kField: {
      QLabel* field = MakeLabel(parent);
      field->setAutoFillBackground(true);
      QPalette white = field->palette();
      white.setColor(QPalette::Window, Qt::white);
      white.setColor(QPalette::WindowText, Qt::black);
      field->setPalette(white);
      field->setFrameShape(QFrame::Panel);
      field->setFrameShadow(QFrame::Sunken);
      return field;
    }
    case ControlKind::kReportPane:
      return new ReportView(parent);
    case ControlKind::kButton:
      return new QPushButton(caption, parent);
    case ControlKind::kCheckBox:
      return new QCheckBox(caption, parent);
    case ControlKind::kGroupBox:
      return new QGroupBox(caption, parent);
    case ControlKind::kOptionButton:
      return new QRadioButton(caption, parent);
    case ControlKind::kDropDownList:
      return new QComboBox(parent);
    case ControlKind::kFolderTree:
      return new FolderView(folders, separator, parent);
    case ControlKind::kTextList: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::NoSelection);
      return list;
    }
    case ControlKind::kMultiSelectList: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::ExtendedSelection);
      list->setUniformItemSizes(true);
      return list;
    }
  }
  throw std::logic_error("no widget for the kind of control " + std::string(control.name));
}

void SetText(QLabel* label, const std::string& text) {
  const QString shown = Shown(text);
  if (label->text() != shown) label->setText(shown);
}

QStringList ShownTexts(const std::vector<std::string>& texts) {
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(texts.size()));
  for (const std::string& text : texts) shown.append(Shown(text));
  return shown;
}

// Shows `texts` in `list` unless it shows them already.
void SetTexts(QListWidget* list, const std::vector<std::string>& texts) {
  const QStringList items = ShownTexts(texts);
  bool same = list->count() == items.size();
  for (int i = 0; same && i < items.size(); ++i) same = list->item(i)->text() == items[i];
  if (same) return;
  list->clear();
  list->addItems(items);
}

// The drives in the model's order, so that a row's index is its drive's; the
// current drive is added after them when it is none of them.
void SetDrives(QComboBox* box, const window::DriveList& drives) {
  const QSignalBlocker blocker(box);
  QStringList items = ShownTexts(drives.drives);
  const auto listed = std::find(drives.drives.begin(), drives.drives.end(), drives.drive);
  int index = drives.drive.empty() ? -1 : static_cast<int>(listed - drives.drives.begin());
  if (listed == drives.drives.end() && index >= 0) items.append(Shown(drives.drive));
  bool same = box->count() == items.size();
  for (int i = 0; same && i < items.size(); ++i) same = box->itemText(i) == items[i];
  if (!same) {
    box->clear();
    box->addItems(items);
  }
  if (box->currentIndex() != index) box->setCurrentIndex(index);
}

// The selection in one change for the whole list, not one per name.
void SetSelection(QListWidget* list, const window::ShortcutList& shortcuts) {
  const int count = std::min(list->count(), static_cast<int>(shortcuts.Count()));
  QItemSelection selection;
  for (int i = 0; i < count; ++i) {
    if (!shortcuts.Selected(static_cast<std::size_t>(i))) continue;
    int last = i;
    while (last + 1 < count && shortcuts.Selected(static_cast<std::size_t>(last + 1))) ++last;
    selection.select(list->model()->index(i, 0), list->model()->index(last, 0));
    i = last;
  }
  if (selection != list->selectionModel()->selection())
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

}  // namespace

MainWindow::MainWindow(window::MainWindowModel& model, const platform::FolderListing& folders,
                       char separator, window::MessageDialog& messages)
    : model_(model), folders_(folders), separator_(separator), messages_(messages) {
  setFont(ControlFont());
  setWindowIcon(QIcon(QPixmap(varnlink_icon_xpm)));
  const window::PixelSize design = DesignSize();
  setMinimumSize(design.width, design.height);
  resize(design.width, design.height);
  CreateControls();
  ConnectControls();
}

template <typename Widget>
Widget* MainWindow::WidgetOf(ControlId id) const {
  for (const auto& [control, widget] : widgets_) {
    if (control == id) return static_cast<Widget*>(widget);
  }
  return nullptr;
}

void MainWindow::CreateControls() {
  QWidget* previous_stop = nullptr;
  for (const window::Control& control : window::Controls()) {
    QWidget* parent = control.parent ? WidgetOf<QWidget>(*control.parent) : this;
    QWidget* widget = MakeWidget(control, parent, folders_, separator_);
    widget->setObjectName(ToQString(control.name));
    widget->setAccessibleName(ToQString(window::AccessibleName(control)));
    widget->setGeometry(ToQRect(window::Place(control, DesignSize())));
    widgets_.emplace_back(control.id, widget);

    // Tall option buttons and check boxes show their captions on several lines.
    if (auto* button = qobject_cast<QAbstractButton*>(widget);
        button != nullptr &&
        (control.kind == ControlKind::kCheckBox || control.kind == ControlKind::kOptionButton)) {
      const int lines = button->height() / std::max(1, button->fontMetrics().lineSpacing());
      if (lines >= 2)
        button->setText(
            WrappedCaption(button->text(), button->fontMetrics(), button->width() - 20));
    }
    if (window::IsTabStop(control.kind)) {
      if (previous_stop != nullptr) QWidget::setTabOrder(previous_stop, widget);
      previous_stop = widget;
    }
  }
  result_text_ = WidgetOf<QLabel>(ControlId::kResultText);
  chosen_folder_ = WidgetOf<QLabel>(ControlId::kChosenFolder);
  report_ = WidgetOf<ReportView>(ControlId::kReport);
  selected_names_ = WidgetOf<QListWidget>(ControlId::kSelectedNames);
  drive_list_ = WidgetOf<QComboBox>(ControlId::kDriveList);
  folder_list_ = WidgetOf<FolderView>(ControlId::kFolderList);
  shortcut_list_ = WidgetOf<QListWidget>(ControlId::kShortcutList);
}

void MainWindow::ConnectControls() {
  const auto button = [this](ControlId id) { return WidgetOf<QPushButton>(id); };
  connect(button(ControlId::kAudit), &QPushButton::clicked, this, [this] {
    Run(
        "Audit", [this] { model_.Audit(); }, true);
    // The report is drawn while the run's closing messages are up.
    Run("Audit", [this] { model_.AnnounceOutcome(); });
  });
  connect(button(ControlId::kPrint), &QPushButton::clicked, this, [this] {
    Run(
        "Print", [this] { model_.Print(); }, true);
  });
  connect(button(ControlId::kCopy), &QPushButton::clicked, this,
          [this] { Run("Copy", [this] { model_.Copy(); }); });
  connect(button(ControlId::kQuarantine), &QPushButton::clicked, this, [this] {
    Run(
        "Quarantine", [this] { model_.Quarantine(); }, true);
  });
  connect(button(ControlId::kRestore), &QPushButton::clicked, this, [this] {
    Run(
        "Restore", [this] { model_.Restore(); }, true);
  });

  connect(drive_list_, &QComboBox::activated, this, [this](int index) {
    // Rows past the model's drives show the current drive only.
    const std::vector<std::string>& drives = model_.drive_list.drives;
    if (index < 0 || static_cast<std::size_t>(index) >= drives.size()) return;
    const std::string drive = drives[static_cast<std::size_t>(index)];
    if (drive == model_.drive_list.drive) return;
    Run(
        "Choosing the drive", [this, drive] { model_.ChangeDrive(drive); }, true);
  });
  folder_list_->on_highlight = [this](const std::string& path) {
    Run("Choosing the folder", [this, path] { model_.HighlightFolder(path); });
  };
  folder_list_->on_open = [this](const std::string& path) {
    Run(
        "Opening the folder", [this, path] { model_.OpenFolder(path); }, true);
  };
  connect(shortcut_list_, &QListWidget::itemSelectionChanged, this, [this] {
    Run("Selecting shortcuts", [this] {
      const auto count =
          std::min(static_cast<std::size_t>(shortcut_list_->count()), model_.shortcut_list.Count());
      for (std::size_t i = 0; i < count; ++i)
        model_.shortcut_list.SetSelected(i,
                                         shortcut_list_->item(static_cast<int>(i))->isSelected());
      model_.SelectionChanged();
    });
  });

  for (const window::Control& control : window::Controls()) {
    const ControlId id = control.id;
    if (control.kind == ControlKind::kCheckBox) {
      // "Include Jump Lists" lists the folder again, which may fail or take a while.
      connect(WidgetOf<QCheckBox>(id), &QCheckBox::clicked, this, [this, id](bool checked) {
        Run(
            "Listing the folder", [this, id, checked] { model_.CheckBoxClicked(id, checked); },
            id == ControlId::kIncludeJumpLists);
      });
    } else if (const auto filter = window::FilterOf(id)) {
      connect(WidgetOf<QRadioButton>(id), &QRadioButton::clicked, this, [this, filter] {
        model_.target_filter = *filter;
        Sync();
      });
    }
  }
}

template <typename Handler>
void MainWindow::Run(const char* action, Handler&& handler, bool busy) {
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
  Sync();
  if (!failure.empty()) messages_.Show(failure);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const window::PixelSize client{width(), height()};
  for (const auto& [id, widget] : widgets_) {
    widget->setGeometry(ToQRect(window::Place(window::ControlOf(id), client)));
  }
}

void MainWindow::Load() {
  model_.Load();
  Sync();
  if (model_.maximized) {
    showMaximized();
  } else {
    show();
  }
  WidgetOf<QPushButton>(ControlId::kAudit)->setFocus();
}

void MainWindow::OpenPath(const std::string& path) {
  Run(
      "Opening the folder", [this, path] { model_.OpenPath(path); }, true);
}

void MainWindow::Sync() {
  const QString caption = ToQString(model_.caption);
  if (windowTitle() != caption) setWindowTitle(caption);
  SetText(result_text_, model_.result_text);
  SetText(chosen_folder_, model_.chosen_folder);
  report_->SetText(model_.report);
  SetTexts(selected_names_, model_.selected_names);
  SetDrives(drive_list_, model_.drive_list);

  // The folder tree hangs from the current drive's root when the folder lies
  // on that drive, else from the file system's root.
  std::string root(1, separator_);
  try {
    if (!model_.drive_list.drive.empty()) {
      const std::string drive_root = folders_.DriveRoot(model_.drive_list.drive);
      std::string within = model_.folder_list.path;
      if (within.empty() || within.back() != separator_) within += separator_;
      if (within.compare(0, drive_root.size(), drive_root) == 0) root = drive_root;
    }
  } catch (const std::exception&) {
    // An unreadable drive still shows the folder from the file system's root.
  }
  folder_list_->Show(root, model_.folder_list.path, model_.folder_list.highlighted);

  {
    const QSignalBlocker blocker(shortcut_list_);
    SetTexts(shortcut_list_, model_.shortcut_list.Names());
    SetSelection(shortcut_list_, model_.shortcut_list);
  }

  WidgetOf<QPushButton>(ControlId::kQuarantine)->setEnabled(model_.quarantine_enabled);
  WidgetOf<QPushButton>(ControlId::kRestore)->setEnabled(model_.restore_enabled);
  for (const window::Control& control : window::Controls()) {
    if (control.kind == ControlKind::kCheckBox) {
      const window::CheckBox& state = *model_.CheckBoxOf(control.id);
      auto* box = WidgetOf<QCheckBox>(control.id);
      box->setChecked(state.ticked);
      box->setEnabled(state.enabled);
    } else if (const auto filter = window::FilterOf(control.id)) {
      // The option buttons take one tab stop together: the chosen one.
      const bool chosen = *filter == model_.target_filter;
      auto* button = WidgetOf<QRadioButton>(control.id);
      button->setChecked(chosen);
      button->setFocusPolicy(chosen ? Qt::StrongFocus : Qt::ClickFocus);
    }
  }
}

}  // namespace varnlink::app::qt
