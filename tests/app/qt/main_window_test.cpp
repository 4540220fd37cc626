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

template <typename Widget>
Widget* Control(MainWindow& window, std::string_view name) {
  auto* widget = window.findChild<Widget*>(
      QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  if (widget == nullptr) qFatal("no control named %s", std::string(name).c_str());
  return widget;
}

void ClickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(row)).center());
}

// What a control shows as its caption, line breaks of wrapped captions read as blanks.
QString ShownCaption(QWidget* widget) {
  QString text;
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
  if (auto* box = qobject_cast<QGroupBox*>(widget)) text = box->title();
  return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
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
    return box->style()->subControlRect(QStyle::CC_GroupBox, &group, QStyle::SC_GroupBoxLabel,
                                        box);
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
    QVERIFY(Control<QCheckBox>(window, "search_subfolders")->isChecked());
    QVERIFY(Control<QCheckBox>(window, "search_subfolders")->isEnabled());
    QVERIFY(!Control<QCheckBox>(window, "warn_duplicate_targets")->isChecked());
    QVERIFY(!Control<QCheckBox>(window, "warn_duplicate_arguments")->isChecked());
    QVERIFY(!Control<QCheckBox>(window, "warn_missing_targets")->isChecked());
    QVERIFY(!Control<QCheckBox>(window, "warn_suspicious_shortcuts")->isChecked());
    QVERIFY(Control<QRadioButton>(window, "all_targets")->isChecked());
    QVERIFY(!Control<QRadioButton>(window, "exe_targets")->isChecked());
    QVERIFY(Control<ReportView>(window, "report")->Text().empty());
    QCOMPARE(Control<QLabel>(window, "result_text")->text(), QString());
    QCOMPARE(Control<QLabel>(window, "chosen_folder")->text(), QString());
    QCOMPARE(QApplication::focusWidget() == nullptr ||
                 QApplication::focusWidget() == Control<QPushButton>(window, "audit"),
             true);
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
        auto* widget = Control<QWidget>(window, control.name);
        const window::PixelRect place = window::Place(control, client);
        QCOMPARE(widget->geometry(), QRect(place.left, place.top, place.width, place.height));
        QWidget* parent = control.parent
                              ? Control<QWidget>(window, window::ControlOf(*control.parent).name)
                              : &window;
        QCOMPARE(widget->parentWidget(), parent);
        if (!control.caption.empty())
          QCOMPARE(ShownCaption(widget),
                   QString::fromUtf8(control.caption.data(), qsizetype(control.caption.size())));
        const std::string_view name = window::AccessibleName(control);
        QCOMPARE(widget->accessibleName(), QString::fromUtf8(name.data(), qsizetype(name.size())));
      }
    }
    QCOMPARE(WindowApp().Window().size(), QSize(design.width, design.height));
  }

  // Resized to 1600 x 1000 the report gets the room (the window test under
  // Xvfb runs this on a 1920 x 1200 screen), and no caption is cut off, at
  // the design size or at 200 % (QT_SCALE_FACTOR=2 there).
  void theReportGrowsWithTheWindowAndNoCaptionIsClipped() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    window.showNormal();
    window.resize(1600, 1000);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.size(), QSize(1600, 1000));
    const QRect report = Control<ReportView>(window, "report")->geometry();
    QVERIFY2(report.width() >= 1200 && report.height() >= 450,
             qPrintable(QStringLiteral("report %1x%2").arg(report.width()).arg(report.height())));

    for (const window::Control& control : window::Controls()) {
      if (control.caption.empty()) continue;
      auto* widget = Control<QWidget>(window, control.name);
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
      QTest::mouseClick(Control<QRadioButton>(window, chosen), Qt::LeftButton);
      QStringList expected;
      for (const window::Control& control : window::Controls()) {
        const bool option = control.kind == window::ControlKind::kOptionButton;
        if (window::IsTabStop(control.kind) && (!option || control.name == chosen))
          expected.append(QString::fromUtf8(control.name.data(), qsizetype(control.name.size())));
      }
      QStringList stops;
      QWidget* first = Control<QPushButton>(window, "audit");
      QWidget* widget = first;
      do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&window))
          stops.append(widget->objectName());
        widget = widget->nextInFocusChain();
      } while (widget != first);
      QCOMPARE(stops.mid(0, expected.size()), expected);
    }
  }

  void auditShowsTheReportAndTheResultLine() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    QCOMPARE(Control<QLabel>(window, "chosen_folder")->text(),
             QString::fromStdString(folder_->Path().string()));
    QCOMPARE(Control<QListWidget>(window, "shortcut_list")->count(), 3);  // OLD.LNK too

    test::MessageBoxAnswerer answerer;
    QTest::mouseClick(Control<QPushButton>(window, "audit"), Qt::LeftButton);
    QCOMPARE(answerer.texts, QStringList());
    // The walk takes every shortcut, OLD.LNK included, and descends into Sub.
    QCOMPARE(Control<QLabel>(window, "result_text")->text(), QStringLiteral("4 Shortcuts Found"));
    const QString shown = QString::fromStdString(Control<ReportView>(window, "report")->Text());
    QCOMPARE(shown, Report(app));
    QVERIFY(shown.contains(QStringLiteral("NOTEPAD.EXE")));
    QVERIFY(shown.contains(QStringLiteral("DEEP.EXE")));
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void theChosenTargetsAndWarningsReachTheAudit_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("result");
    QTest::newRow("all") << "all_targets"
                         << "5 Shortcuts Found";
    QTest::newRow(".EXE") << "exe_targets"
                          << "4 Shortcuts Found";
    QTest::newRow("non-.EXE") << "non_exe_targets"
                              << "1 Shortcut Found";
  }

  void theChosenTargetsAndWarningsReachTheAudit() {
    QFETCH(QString, option);
    QFETCH(QString, result);
    folder_->Write("Notepad again.lnk", BuildLink(LocalLink("C:\\WINDOWS\\NOTEPAD.EXE")));
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    QTest::mouseClick(Control<QRadioButton>(window, option.toStdString()), Qt::LeftButton);
    QTest::mouseClick(Control<QCheckBox>(window, "warn_duplicate_targets"), Qt::LeftButton);
    test::MessageBoxAnswerer answerer;
    QTest::mouseClick(Control<QPushButton>(window, "audit"), Qt::LeftButton);
    QCOMPARE(Control<QLabel>(window, "result_text")->text(), result);
    // The second NOTEPAD.EXE is a duplicate wherever .EXE targets are reported.
    QCOMPARE(answerer.texts.size(), option == "non_exe_targets" ? 0 : 1);
  }

  void selectingNamesDisablesAndUnticksSubfolderSearch() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    auto* shortcuts = Control<QListWidget>(window, "shortcut_list");
    auto* search_subfolders = Control<QCheckBox>(window, "search_subfolders");

    ClickRow(shortcuts, 0);
    QCOMPARE(Control<QListWidget>(window, "selected_names")->count(), 1);
    QVERIFY(!search_subfolders->isEnabled());
    QVERIFY(!search_subfolders->isChecked());

    // The audit takes only the selection.
    QTest::mouseClick(Control<QPushButton>(window, "audit"), Qt::LeftButton);
    QCOMPARE(Control<QLabel>(window, "result_text")->text(), QStringLiteral("1 Shortcut Found"));

    // A click in the folder list drops the selection; the box comes back unticked.
    auto* folders = Control<QTreeWidget>(window, "folder_list");
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier,
                      folders->visualItemRect(folders->currentItem()).center());
    QCOMPARE(Control<QListWidget>(window, "selected_names")->count(), 0);
    QCOMPARE(shortcuts->selectedItems().size(), 0);
    QVERIFY(search_subfolders->isEnabled());
    QVERIFY(!search_subfolders->isChecked());
  }

  void extendedSelectionListsTheSelectedNamesInShortcutListOrder() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* shortcuts = Control<QListWidget>(app.Window(), "shortcut_list");
    ClickRow(shortcuts, 0);
    QTest::mouseClick(shortcuts->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      shortcuts->visualItemRect(shortcuts->item(2)).center());
    QTest::mouseClick(shortcuts->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      shortcuts->visualItemRect(shortcuts->item(1)).center());
    const auto& selected = app.Model().selected_names;
    const auto& names = app.Model().shortcut_list.Names();
    QCOMPARE(selected, (std::vector<std::string>{names[0], names[2]}));
    auto* shown = Control<QListWidget>(app.Window(), "selected_names");
    QCOMPARE(shown->count(), 2);
    QCOMPARE(shown->item(1)->text(), QString::fromStdString(names[2]));
  }

  void openingAFolderShowsItsShortcuts() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* folders = Control<QTreeWidget>(app.Window(), "folder_list");
    const QList<QTreeWidgetItem*> found =
        folders->findItems(QStringLiteral("Sub"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    const QPoint at = folders->visualItemRect(found.front()).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(folders->currentItem(), found.front());
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(Control<QLabel>(app.Window(), "chosen_folder")->text(),
             QString::fromStdString((folder_->Path() / "Sub").string()));
    auto* shortcuts = Control<QListWidget>(app.Window(), "shortcut_list");
    QCOMPARE(shortcuts->count(), 1);
    QCOMPARE(shortcuts->item(0)->text(), QStringLiteral("Deep.lnk"));

    // Enter on the highlighted parent opens it again.
    folders->setCurrentItem(folders->currentItem()->parent());
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(Control<QLabel>(app.Window(), "chosen_folder")->text(),
             QString::fromStdString(folder_->Path().string()));
  }

  void openingTheRootFolderShowsItAsTheDriveRoot() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* folders = Control<QTreeWidget>(app.Window(), "folder_list");
    const QPoint at = folders->visualItemRect(folders->topLevelItem(0)).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(Control<QLabel>(app.Window(), "chosen_folder")->text(), QStringLiteral("/"));
    QCOMPARE(folders->topLevelItemCount(), 1);
    QCOMPARE(folders->currentItem(), folders->topLevelItem(0));
    QVERIFY(folders->topLevelItem(0)->childCount() > 0);  // the root's own folders
    QCOMPARE(Control<QComboBox>(app.Window(), "drive_list")->currentText(), QStringLiteral("/"));
  }

  void copyLeavesExactlyTheReportAsTheOnlyClipboardFormat() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* earlier = new QMimeData;
    earlier->setHtml(QStringLiteral("<b>earlier</b>"));
    earlier->setData(QStringLiteral("application/x-earlier"), "x");
    QGuiApplication::clipboard()->setMimeData(earlier);

    QTest::mouseClick(Control<QPushButton>(app.Window(), "audit"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(app.Window(), "copy"), Qt::LeftButton);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied != nullptr);
    QCOMPARE(copied->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(copied->text(), Report(app));
    QVERIFY(copied->text().endsWith(QStringLiteral("\r\n")));
  }

  // A name with a right-to-left override would read "rtl" + "knl.exe.jpg";
  // the lists, the chosen folder and the messages show it as the report does,
  // while the real name is still what is opened and audited.
  void namesShowAsTheReportShowsThem() {
    const std::string override_mark = "\u202E";
    const std::string name = "rtl" + override_mark + "gpj.exe.lnk";
    const std::string sub = "Sub" + override_mark + "txt";
    std::filesystem::create_directory(folder_->Path() / sub);
    folder_->Write(sub + "/" + name, BuildLink(LocalLink("C:\\EVIL.EXE")));
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    auto* folders = Control<QTreeWidget>(window, "folder_list");
    const QList<QTreeWidgetItem*> found =
        folders->findItems(QStringLiteral("Sub?txt"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    const QPoint at = folders->visualItemRect(found.front()).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(Control<QLabel>(window, "chosen_folder")->text(),
             QString::fromStdString(folder_->Path().string()) + QStringLiteral("/Sub?txt"));
    auto* shortcuts = Control<QListWidget>(window, "shortcut_list");
    QCOMPARE(shortcuts->count(), 1);
    QCOMPARE(shortcuts->item(0)->text(), QStringLiteral("rtl?gpj.exe.lnk"));

    ClickRow(shortcuts, 0);
    QCOMPARE(Control<QListWidget>(window, "selected_names")->item(0)->text(),
             QStringLiteral("rtl?gpj.exe.lnk"));
    QTest::mouseClick(Control<QPushButton>(window, "audit"), Qt::LeftButton);
    QCOMPARE(Control<QLabel>(window, "result_text")->text(), QStringLiteral("1 Shortcut Found"));
    QVERIFY(Report(app).contains(QStringLiteral("EVIL.EXE")));

    std::filesystem::remove(folder_->Path() / sub / name);
    test::MessageBoxAnswerer answerer;
    QTest::mouseClick(Control<QPushButton>(window, "audit"), Qt::LeftButton);
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY2(answerer.texts.front().contains(QStringLiteral("Sub?txt/rtl?gpj.exe.lnk")),
             qPrintable(answerer.texts.front()));
  }

  // 33,000 shortcuts: the list takes the first 32,767 in listing order and
  // the result line says so; a selection among them is audited.
  void aFolderOfMoreShortcutsThanTheListHoldsOpens() {
    const test_support::Bytes link = BuildLink(LocalLink("C:\\WINDOWS\\NOTEPAD.EXE"));
    const std::filesystem::path big = folder_->Path() / "Big";
    std::filesystem::create_directory(big);
    for (int i = 0; i < 33000; ++i) folder_->Write("Big/" + std::to_string(i) + ".lnk", link);
    WindowApp app;
    app.Start(big.string());
    MainWindow& window = app.Window();
    auto* shortcuts = Control<QListWidget>(window, "shortcut_list");
    QCOMPARE(shortcuts->count(), 32767);
    QCOMPARE(shortcuts->item(0)->text(), QStringLiteral("0.lnk"));
    QCOMPARE(Control<QLabel>(window, "result_text")->text(),
             QStringLiteral("Showing 32767 of 33000 shortcuts"));
    ClickRow(shortcuts, 0);
    QTest::mouseClick(Control<QPushButton>(window, "audit"), Qt::LeftButton);
    QCOMPARE(Control<QLabel>(window, "result_text")->text(), QStringLiteral("1 Shortcut Found"));
  }

  void anErrorEndingTheAuditIsShownAndTheHourglassGoes() {
    WindowApp app;
    app.Start(folder_->Path().string());
    ClickRow(Control<QListWidget>(app.Window(), "shortcut_list"), 1);
    const std::string selected = app.Model().selected_names.at(0);
    std::filesystem::remove(folder_->Path() / selected);

    test::MessageBoxAnswerer answerer;
    QTest::mouseClick(Control<QPushButton>(app.Window(), "audit"), Qt::LeftButton);
    QCOMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.titles.front(), QStringLiteral("Varnlink"));
    QVERIFY(answerer.all_information_ok_only);
    QVERIFY2(answerer.texts.front().startsWith(QStringLiteral("Audit failed: ")),
             qPrintable(answerer.texts.front()));
    QVERIFY2(answerer.texts.front().contains(QString::fromStdString(selected)),
             qPrintable(answerer.texts.front()));
    QCOMPARE(Control<QLabel>(app.Window(), "result_text")->text(), QString());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

 private:
  std::unique_ptr<ScratchFolder> folder_;
};

}  // namespace varnlink::app::qt

QTEST_MAIN(varnlink::app::qt::MainWindowTest)
#include "main_window_test.moc"
