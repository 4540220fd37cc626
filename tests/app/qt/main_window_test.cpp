// The window on Qt's offscreen platform, driven as a user drives it: real
// shortcut files in a scratch folder, mouse clicks on the widgets, message
// boxes answered by the test.

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/qt/report_view.h"
#include "app/qt/window_app.h"
#include "tests/app/qt/message_box_answerer.h"
#include "tests/support/link_writer.h"
#include "tests/support/scratch_folder.h"
#include "window/layout.h"

namespace varnlink::app::qt {
namespace {

using test_support::BuildLink;
using test_support::LocalLink;
using test_support::ScratchFolder;

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Widget = QWidget>
Widget* Control(MainWindow& window, std::string_view name) {
  auto* widget = window.findChild<Widget*>(Q(name));
  if (widget == nullptr) qFatal("no control named %s", std::string(name).c_str());
  return widget;
}

QString Text(MainWindow& window, std::string_view label) {
  return Control<QLabel>(window, label)->text();
}

void Press(MainWindow& window, std::string_view button) {
  QTest::mouseClick(Control<QAbstractButton>(window, button), Qt::LeftButton);
}

void ClickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                    list->visualItemRect(list->item(row)).center());
}

// Highlights the folder list's entry `text` with a click and opens it with a double-click.
void OpenFolder(MainWindow& window, const QString& text) {
  auto* folders = Control<QTreeWidget>(window, "folder_list");
  const QList<QTreeWidgetItem*> found =
      folders->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  QCOMPARE(found.size(), 1);
  const QPoint at = folders->visualItemRect(found.front()).center();
  QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QCOMPARE(folders->currentItem(), found.front());
  QTest::mouseDClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

QString CaptionText(QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* box = qobject_cast<QGroupBox*>(widget)) return box->title();
  return {};
}

// Where a control draws its caption, as its style lays it out.
QRect CaptionRoom(QWidget* widget) {
  QStyleOptionButton option;
  option.initFrom(widget);
  if (qobject_cast<QCheckBox*>(widget) != nullptr)
    return widget->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, widget);
  if (qobject_cast<QRadioButton*>(widget) != nullptr)
    return widget->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, widget);
  if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    QStyleOptionGroupBox group;
    group.initFrom(box);
    group.text = box->title();
    group.subControls = QStyle::SC_GroupBoxLabel;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &group, QStyle::SC_GroupBoxLabel, box);
  }
  if (qobject_cast<QPushButton*>(widget) != nullptr)
    return widget->style()->subElementRect(QStyle::SE_PushButtonContents, &option, widget);
  return widget->contentsRect();
}

QString Report(WindowApp& app) { return QString::fromStdString(app.Model().report); }

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<ScratchFolder>();
    folder_->Write("Notepad.lnk", BuildLink(LocalLink("C:\\WINDOWS\\NOTEPAD.EXE")));
    folder_->Write("Readme.lnk", BuildLink(LocalLink("C:\\DOCS\\README.TXT")));
    folder_->Write("OLD.LNK", BuildLink(LocalLink("C:\\OLD\\OLD.EXE")));
    std::filesystem::create_directory(folder_->Path() / "Sub");
    folder_->Write("Sub/Deep.lnk", BuildLink(LocalLink("C:\\DEEP.EXE")));
  }
  void cleanup() {
    QGuiApplication::clipboard()->clear();
    folder_.reset();
  }

  void theWindowStartsInItsLoadedState() {
    WindowApp app;
    app.Start(std::nullopt);
    MainWindow& window = app.Window();
    QCOMPARE(window.windowTitle(), QStringLiteral("Varnlink V1.0"));
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QVERIFY(window.windowIcon().availableSizes().contains(QSize(32, 32)));
    for (const char* box :
         {"search_subfolders", "warn_duplicate_targets", "warn_duplicate_arguments",
          "warn_missing_targets", "warn_suspicious_shortcuts"}) {
      QCOMPARE(Control<QCheckBox>(window, box)->isChecked(),
               box == std::string_view("search_subfolders"));
      QVERIFY(Control<QCheckBox>(window, box)->isEnabled());
    }
    QVERIFY(Control<QRadioButton>(window, "all_targets")->isChecked());
    QVERIFY(Control<ReportView>(window, "report")->Text().empty());
    QCOMPARE(Text(window, "result_text"), QString());
    QCOMPARE(Text(window, "chosen_folder"), QString());
    // A folder named "<b>x" shows as written, never read as markup.
    for (const QLabel* label : window.findChildren<QLabel*>()) {
      QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus == nullptr || focus == Control(window, "audit"));
  }

  // Every control of the layout table, at the table's place for the window's
  // size (inside its group box where it has one; never smaller than the
  // table's own size), with its caption and its name for screen readers.
  void everyControlHasItsPlaceAndCaptionFromTheLayoutTable() {
    WindowApp app;
    app.Start(std::nullopt);
    MainWindow& window = app.Window();
    const window::PixelSize design = window::ToPixels(window::DesignClientSize());
    for (const QSize size : {QSize(400, 300), QSize(1600, 1000), QSize(800, 1200)}) {
      window.showNormal();
      window.resize(size);
      QTRY_COMPARE(window.size(), size.expandedTo(QSize(design.width, design.height)));
      const window::PixelSize client{window.width(), window.height()};
      for (const window::Control& control : window::Controls()) {
        QWidget* widget = Control(window, control.name);
        const window::PixelRect place = window::Place(control, client);
        QCOMPARE(widget->geometry(), QRect(place.left, place.top, place.width, place.height));
        QCOMPARE(
            widget->parentWidget(),
            control.parent ? Control(window, window::ControlOf(*control.parent).name) : &window);
        if (!control.caption.empty())  // wrapped captions' line breaks read as blanks
          QCOMPARE(CaptionText(widget).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                   Q(control.caption));
        QCOMPARE(widget->accessibleName(), Q(window::AccessibleName(control)));
      }
    }
    QCOMPARE(WindowApp().Window().size(), QSize(design.width, design.height));
  }

  // No caption is cut off by the style's fonts, at the design size or at
  // 200 % (the window test under Xvfb runs this with QT_SCALE_FACTOR=2).
  void noCaptionIsClipped() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    window.showNormal();
    window.resize(1600, 1000);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.size(), QSize(1600, 1000));
    for (const window::Control& control : window::Controls()) {
      if (control.caption.empty()) continue;
      QWidget* widget = Control(window, control.name);
      const QRect room = CaptionRoom(widget);
      const QRect needed = widget->fontMetrics().boundingRect(
          QRect(0, 0, room.width(), 10000), Qt::TextWordWrap | Qt::TextShowMnemonic,
          CaptionText(widget));
      QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
               control.name.data());
    }
  }

  // Tab visits the table's tab stops in the table's order; the option
  // buttons take one stop, at the chosen one.
  void tabVisitsTheTablesTabStopsInOrder() {
    WindowApp app;
    app.Start(std::nullopt);
    MainWindow& window = app.Window();
    for (const char* chosen : {"all_targets", "exe_targets"}) {
      Press(window, chosen);
      QStringList expected;
      for (const window::Control& control : window::Controls()) {
        const bool option = control.kind == window::ControlKind::kOptionButton;
        if (window::IsTabStop(control.kind) && (!option || control.name == chosen))
          expected.append(Q(control.name));
      }
      QStringList stops;
      QWidget* first = Control(window, "audit");
      QWidget* widget = first;
      do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&window))
          stops.append(widget->objectName());
        widget = widget->nextInFocusChain();
      } while (widget != first);
      QCOMPARE(stops.mid(0, expected.size()), expected);
    }
  }

  void theChosenTargetsAndWarningsReachTheAudit_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("warn");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("warnings");
    QTest::newRow("all") << "all_targets" << false << "5 Shortcuts Found" << 0;
    QTest::newRow("all, duplicates") << "all_targets" << true << "5 Shortcuts Found" << 1;
    QTest::newRow(".EXE") << "exe_targets" << true << "4 Shortcuts Found" << 1;
    QTest::newRow("non-.EXE") << "non_exe_targets" << true << "1 Shortcut Found" << 0;
  }

  // The walk takes every shortcut, OLD.LNK included, and descends into Sub;
  // the second NOTEPAD.EXE is a duplicate wherever .EXE targets are reported.
  void theChosenTargetsAndWarningsReachTheAudit() {
    QFETCH(QString, option);
    QFETCH(bool, warn);
    QFETCH(QString, result);
    QFETCH(int, warnings);
    folder_->Write("Notepad again.lnk", BuildLink(LocalLink("C:\\WINDOWS\\NOTEPAD.EXE")));
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    QCOMPARE(Text(window, "chosen_folder"), QString::fromStdString(folder_->Path().string()));
    QCOMPARE(Control<QListWidget>(window, "shortcut_list")->count(), 4);
    Press(window, option.toStdString());
    if (warn) Press(window, "warn_duplicate_targets");
    test::MessageBoxAnswerer answerer;
    Press(window, "audit");
    QCOMPARE(Text(window, "result_text"), result);
    QCOMPARE(answerer.texts.size(), warnings);
    const QString shown = QString::fromStdString(Control<ReportView>(window, "report")->Text());
    QCOMPARE(shown, Report(app));
    QCOMPARE(shown.contains(QStringLiteral("DEEP.EXE")), option != "non_exe_targets");
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  // The run's closing message comes up over the new report, not the old one.
  void theReportIsShownBeforeTheClosingMessages() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    Press(window, "warn_suspicious_shortcuts");
    auto* report = Control<ReportView>(window, "report");
    test::MessageBoxAnswerer answerer;
    answerer.observe = [report] { return QString::fromStdString(report->Text()); };
    Press(window, "audit");
    QCOMPARE(answerer.texts, QStringList{QStringLiteral("Suspicious shortcuts: 0")});
    QCOMPARE(answerer.observed, QStringList{Report(app)});
  }

  // Click, Shift-click and Ctrl-click select as in any list; the selected
  // names follow the list's order, and while there are any the subfolder
  // search is off. A click in the folder list drops the selection; the box
  // comes back enabled, unticked.
  void selectingNamesListsThemAndTurnsOffSubfolderSearch() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    auto* shortcuts = Control<QListWidget>(window, "shortcut_list");
    auto* selected = Control<QListWidget>(window, "selected_names");
    auto* search_subfolders = Control<QCheckBox>(window, "search_subfolders");

    ClickRow(shortcuts, 0);
    QCOMPARE(selected->count(), 1);
    QVERIFY(!search_subfolders->isEnabled() && !search_subfolders->isChecked());
    ClickRow(shortcuts, 2, Qt::ShiftModifier);
    ClickRow(shortcuts, 1, Qt::ControlModifier);
    const auto& names = app.Model().shortcut_list.Names();
    QCOMPARE(app.Model().selected_names, (std::vector<std::string>{names[0], names[2]}));
    QCOMPARE(selected->count(), 2);
    QCOMPARE(selected->item(1)->text(), QString::fromStdString(names[2]));

    Press(window, "audit");
    QCOMPARE(Text(window, "result_text"), QStringLiteral("2 Shortcuts Found"));

    auto* folders = Control<QTreeWidget>(window, "folder_list");
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier,
                      folders->visualItemRect(folders->currentItem()).center());
    QCOMPARE(selected->count(), 0);
    QCOMPARE(shortcuts->selectedItems().size(), 0);
    QVERIFY(search_subfolders->isEnabled() && !search_subfolders->isChecked());
  }

  void openingAFolderShowsItsShortcuts() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    OpenFolder(window, QStringLiteral("Sub"));
    QCOMPARE(Text(window, "chosen_folder"),
             QString::fromStdString((folder_->Path() / "Sub").string()));
    auto* shortcuts = Control<QListWidget>(window, "shortcut_list");
    QCOMPARE(shortcuts->count(), 1);
    QCOMPARE(shortcuts->item(0)->text(), QStringLiteral("Deep.lnk"));

    // Enter on the highlighted parent opens it again.
    auto* folders = Control<QTreeWidget>(window, "folder_list");
    folders->setCurrentItem(folders->currentItem()->parent());
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(Text(window, "chosen_folder"), QString::fromStdString(folder_->Path().string()));

    // The root shows as the drive's root, with its own folders.
    OpenFolder(window, QStringLiteral("/"));
    QCOMPARE(Text(window, "chosen_folder"), QStringLiteral("/"));
    QCOMPARE(folders->topLevelItemCount(), 1);
    QCOMPARE(folders->currentItem(), folders->topLevelItem(0));
    QVERIFY(folders->topLevelItem(0)->childCount() > 0);
    QCOMPARE(Control<QComboBox>(window, "drive_list")->currentText(), QStringLiteral("/"));
  }

  // "varnlink Sub/../Readme.lnk": the shortcut's folder opens, highlighted,
  // with that shortcut selected and audited alone.
  void aShortcutGivenAtTheStartOpensItsFolderWithItSelected() {
    WindowApp app;
    app.Start((folder_->Path() / "Sub" / ".." / "Readme.lnk").string());
    MainWindow& window = app.Window();
    QCOMPARE(Text(window, "chosen_folder"), QString::fromStdString(folder_->Path().string()));
    QCOMPARE(Control<QTreeWidget>(window, "folder_list")->currentItem()->text(0),
             QString::fromStdString(folder_->Path().filename().string()));
    const QList<QListWidgetItem*> chosen =
        Control<QListWidget>(window, "shortcut_list")->selectedItems();
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.front()->text(), QStringLiteral("Readme.lnk"));
    QCOMPARE(Control<QListWidget>(window, "selected_names")->count(), 1);
    Press(window, "audit");
    QCOMPARE(Text(window, "result_text"), QStringLiteral("1 Shortcut Found"));
    QVERIFY(Report(app).contains(QStringLiteral("README.TXT")));
  }

  void copyLeavesExactlyTheReportAsTheOnlyClipboardFormat() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* earlier = new QMimeData;
    earlier->setHtml(QStringLiteral("<b>earlier</b>"));
    earlier->setData(QStringLiteral("application/x-earlier"), "x");
    QGuiApplication::clipboard()->setMimeData(earlier);

    Press(app.Window(), "audit");
    Press(app.Window(), "copy");
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied != nullptr);
    QCOMPARE(copied->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(copied->text(), Report(app));
    QVERIFY(copied->text().endsWith(QStringLiteral("\r\n")));
  }

  // A name with a right-to-left override would read "rtl" + "knl.exe.jpg";
  // the lists, the chosen folder and the messages show it as the report does,
  // while the real name is still what is opened and audited. When it is gone
  // the audit ends with an error box naming it, and the hourglass goes.
  void namesShowAsTheReportShowsThemAndAnErrorEndingTheAuditIsShown() {
    const std::string override_mark = "\u202E";
    const std::string name = "rtl" + override_mark + "gpj.exe.lnk";
    const std::string sub = "Sub" + override_mark + "txt";
    std::filesystem::create_directory(folder_->Path() / sub);
    folder_->Write(sub + "/" + name, BuildLink(LocalLink("C:\\EVIL.EXE")));
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    OpenFolder(window, QStringLiteral("Sub?txt"));
    QCOMPARE(Text(window, "chosen_folder"),
             QString::fromStdString(folder_->Path().string()) + QStringLiteral("/Sub?txt"));
    auto* shortcuts = Control<QListWidget>(window, "shortcut_list");
    QCOMPARE(shortcuts->count(), 1);
    QCOMPARE(shortcuts->item(0)->text(), QStringLiteral("rtl?gpj.exe.lnk"));

    ClickRow(shortcuts, 0);
    QCOMPARE(Control<QListWidget>(window, "selected_names")->item(0)->text(),
             QStringLiteral("rtl?gpj.exe.lnk"));
    Press(window, "audit");
    QCOMPARE(Text(window, "result_text"), QStringLiteral("1 Shortcut Found"));
    QVERIFY(Report(app).contains(QStringLiteral("EVIL.EXE")));

    std::filesystem::remove(folder_->Path() / sub / name);
    test::MessageBoxAnswerer answerer;
    Press(window, "audit");
    QCOMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.titles.front(), QStringLiteral("Varnlink"));
    QVERIFY(answerer.all_information_ok_only);
    const QString& text = answerer.texts.front();
    QVERIFY2(text.startsWith(QStringLiteral("Audit failed: ")) &&
                 text.contains(QStringLiteral("Sub?txt/rtl?gpj.exe.lnk")),
             qPrintable(text));
    QCOMPARE(Text(window, "result_text"), QString());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void aFolderWhoseNameIsNotUtf8Opens() {
    // Linux names are bytes: the list shows U+FFFD for what is not text and
    // still opens the folder by its real name.
    std::filesystem::create_directory(folder_->Path() / "Sub\xff");
    folder_->Write("Sub\xff/a.lnk", BuildLink(LocalLink("C:\\A.EXE")));
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    OpenFolder(window, QStringLiteral("Sub\uFFFD"));
    QCOMPARE(Control<QListWidget>(window, "shortcut_list")->count(), 1);
    Press(window, "audit");
    QCOMPARE(Text(window, "result_text"), QStringLiteral("1 Shortcut Found"));
  }

 private:
  std::unique_ptr<ScratchFolder> folder_;
};

}  // namespace varnlink::app::qt

QTEST_MAIN(varnlink::app::qt::MainWindowTest)
#include "main_window_test.moc"
