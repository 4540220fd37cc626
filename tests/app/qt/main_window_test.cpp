// The window on Qt's offscreen platform, driven as a user drives it: real
// shortcut files in a scratch folder, mouse clicks on the widgets, message
// boxes answered by the test.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/qt/report_view.h"
#include "app/qt/twips.h"
#include "app/qt/window_app.h"
#include "tests/app/qt/message_box_answerer.h"
#include "tests/support/link_writer.h"
#include "tests/support/scratch_folder.h"

namespace varnlink::app {
namespace {

using test_support::BuildLink;
using test_support::LocalLink;
using test_support::ScratchFolder;

template <typename Widget>
Widget* Control(MainWindow& window, const char* name) {
  auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
  if (widget == nullptr) qFatal("no control named %s", name);
  return widget;
}

void ClickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(row)).center());
}

QString Report(WindowApp& app) { return QString::fromStdString(app.Form().Text1.Text.Text()); }

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
    QVERIFY(Control<QCheckBox>(window, "Check1")->isChecked());
    QVERIFY(Control<QCheckBox>(window, "Check1")->isEnabled());
    QVERIFY(!Control<QCheckBox>(window, "Check2")->isChecked());
    QVERIFY(!Control<QCheckBox>(window, "Check3")->isChecked());
    QVERIFY(Control<QRadioButton>(window, "Option1")->isChecked());
    QVERIFY(!Control<QRadioButton>(window, "Option2")->isChecked());
    QCOMPARE(Control<QRadioButton>(window, "Option2")->text().simplified(),
             QStringLiteral(".EXE Targets"));
    QCOMPARE(Control<QRadioButton>(window, "Option3")->parentWidget(),
             Control<QGroupBox>(window, "Frame1"));
    QVERIFY(Control<ReportView>(window, "Text1")->Text().empty());
    QCOMPARE(Control<QLabel>(window, "Label1")->text(), QString());
    QCOMPARE(Control<QLabel>(window, "Label2")->text(), QString());
    QCOMPARE(Control<QLabel>(window, "Label3")->text(), QStringLiteral("Directory Selected"));
    QVERIFY(!Control<QListWidget>(window, "List1")->isVisible());
    QCOMPARE(QApplication::focusWidget() == nullptr ||
                 QApplication::focusWidget() == Control<QPushButton>(window, "Command1"),
             true);
  }

  void controlsKeepTheirDesignPlaceWhateverTheWindowSize() {
    WindowApp app;
    app.Start(std::nullopt);
    MainWindow& window = app.Window();
    struct Row {
      const char* name;
      QRect twips;
    };
    const Row rows[] = {
        {"Text1", {120, 360, 10575, 2775}},  {"Command1", {120, 3240, 1335, 735}},
        {"Label2", {1680, 4200, 9015, 255}}, {"Dir1", {1680, 5880, 4575, 1890}},
        {"File1", {6720, 5880, 3135, 2040}}, {"Option3", {120, 1200, 1095, 495}},
    };
    for (const QSize size : {QSize(400, 300), QSize(1600, 1200)}) {
      window.showNormal();
      window.resize(size);
      for (const Row& row : rows) {
        const QRect expected =
            TwipsRect(row.twips.x(), row.twips.y(), row.twips.width(), row.twips.height());
        QCOMPARE(Control<QWidget>(window, row.name)->geometry(), expected);
      }
    }
  }

  void tabVisitsTheControlsInDesignOrderWithOneStopForTheOptions() {
    WindowApp app;
    app.Start(std::nullopt);
    QStringList stops;
    QWidget* widget = Control<QPushButton>(app.Window(), "Command1");
    do {
      if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&app.Window()))
        stops.append(widget->objectName());
      widget = widget->nextInFocusChain();
    } while (widget != Control<QPushButton>(app.Window(), "Command1"));
    const QStringList expected = {"Command1", "Drive1", "Dir1",    "File1",    "List2", "Check1",
                                  "Check2",   "Check3", "Option1", "Command2", "Text1", "Command3"};
    QCOMPARE(stops.mid(0, expected.size()), expected);
  }

  void auditShowsTheReportAndTheResultLine() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    QCOMPARE(Control<QLabel>(window, "Label2")->text(),
             QString::fromStdString(folder_->Path().string()));
    QCOMPARE(Control<QListWidget>(window, "File1")->count(), 3);  // OLD.LNK too

    test::MessageBoxAnswerer answerer;
    QTest::mouseClick(Control<QPushButton>(window, "Command1"), Qt::LeftButton);
    QCOMPARE(answerer.texts, QStringList());
    // The walk takes every shortcut, OLD.LNK included, and descends into Sub.
    QCOMPARE(Control<QLabel>(window, "Label1")->text(), QStringLiteral("4 Shortcuts Found"));
    const QString shown = QString::fromStdString(Control<ReportView>(window, "Text1")->Text());
    QCOMPARE(shown, Report(app));
    QVERIFY(shown.contains(QStringLiteral("NOTEPAD.EXE")));
    QVERIFY(shown.contains(QStringLiteral("DEEP.EXE")));
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void selectingNamesDisablesAndUnticksSubfolderSearchAtTheNextTick() {
    WindowApp app;
    app.Start(folder_->Path().string());
    MainWindow& window = app.Window();
    auto* file1 = Control<QListWidget>(window, "File1");
    auto* check1 = Control<QCheckBox>(window, "Check1");

    ClickRow(file1, 0);
    QCOMPARE(Control<QListWidget>(window, "List2")->count(), 1);
    QTRY_VERIFY(!check1->isEnabled());
    QVERIFY(!check1->isChecked());

    // The audit takes only the selection.
    QTest::mouseClick(Control<QPushButton>(window, "Command1"), Qt::LeftButton);
    QCOMPARE(Control<QLabel>(window, "Label1")->text(), QStringLiteral("1 Shortcut Found"));

    // A click in the folder list drops the selection; the box comes back unticked.
    auto* dir1 = Control<QTreeWidget>(window, "Dir1");
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, Qt::NoModifier,
                      dir1->visualItemRect(dir1->currentItem()).center());
    QCOMPARE(Control<QListWidget>(window, "List2")->count(), 0);
    QCOMPARE(file1->selectedItems().size(), 0);
    QTRY_VERIFY(check1->isEnabled());
    QVERIFY(!check1->isChecked());
  }

  void extendedSelectionListsTheSelectedNamesInFileListOrder() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* file1 = Control<QListWidget>(app.Window(), "File1");
    ClickRow(file1, 0);
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      file1->visualItemRect(file1->item(2)).center());
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      file1->visualItemRect(file1->item(1)).center());
    const auto& list2 = app.Form().List2.Items();
    QCOMPARE(list2.size(), std::size_t{2});
    QCOMPARE(list2[0], app.Form().File1.List(0));
    QCOMPARE(list2[1], app.Form().File1.List(2));
  }

  void openingAFolderShowsItsShortcuts() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* dir1 = Control<QTreeWidget>(app.Window(), "Dir1");
    const QList<QTreeWidgetItem*> found =
        dir1->findItems(QStringLiteral("Sub"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    const QPoint at = dir1->visualItemRect(found.front()).center();
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(dir1->currentItem(), found.front());
    QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(Control<QLabel>(app.Window(), "Label2")->text(),
             QString::fromStdString((folder_->Path() / "Sub").string()));
    auto* file1 = Control<QListWidget>(app.Window(), "File1");
    QCOMPARE(file1->count(), 1);
    QCOMPARE(file1->item(0)->text(), QStringLiteral("Deep.lnk"));

    // Enter on the highlighted parent opens it again.
    dir1->setCurrentItem(dir1->currentItem()->parent());
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(Control<QLabel>(app.Window(), "Label2")->text(),
             QString::fromStdString(folder_->Path().string()));
  }

  void openingTheRootFolderShowsItAsTheDriveRoot() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* dir1 = Control<QTreeWidget>(app.Window(), "Dir1");
    const QPoint at = dir1->visualItemRect(dir1->topLevelItem(0)).center();
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(Control<QLabel>(app.Window(), "Label2")->text(), QStringLiteral("/"));
    QCOMPARE(dir1->topLevelItemCount(), 1);
    QCOMPARE(dir1->currentItem(), dir1->topLevelItem(0));
    QVERIFY(dir1->topLevelItem(0)->childCount() > 0);  // the root's own folders
    QCOMPARE(Control<QComboBox>(app.Window(), "Drive1")->currentText(), QStringLiteral("/"));
  }

  void copyLeavesExactlyTheReportAsTheOnlyClipboardFormat() {
    WindowApp app;
    app.Start(folder_->Path().string());
    auto* earlier = new QMimeData;
    earlier->setHtml(QStringLiteral("<b>earlier</b>"));
    earlier->setData(QStringLiteral("application/x-earlier"), "x");
    QGuiApplication::clipboard()->setMimeData(earlier);

    QTest::mouseClick(Control<QPushButton>(app.Window(), "Command1"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(app.Window(), "Command3"), Qt::LeftButton);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied != nullptr);
    QCOMPARE(copied->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(copied->text(), Report(app));
    QVERIFY(copied->text().endsWith(QStringLiteral("\r\n")));
  }

  void anErrorEndingTheAuditIsShownAndTheHourglassGoes() {
    WindowApp app;
    app.Start(folder_->Path().string());
    ClickRow(Control<QListWidget>(app.Window(), "File1"), 1);
    const std::string selected = app.Form().List2.List(0);
    std::filesystem::remove(folder_->Path() / selected);

    test::MessageBoxAnswerer answerer;
    QTest::mouseClick(Control<QPushButton>(app.Window(), "Command1"), Qt::LeftButton);
    QCOMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.titles.front(), QStringLiteral("Varnlink"));
    QVERIFY(answerer.all_information_ok_only);
    QVERIFY2(answerer.texts.front().startsWith(QStringLiteral("Audit failed: ")),
             qPrintable(answerer.texts.front()));
    QVERIFY2(answerer.texts.front().contains(QString::fromStdString(selected)),
             qPrintable(answerer.texts.front()));
    QCOMPARE(Control<QLabel>(app.Window(), "Label1")->text(), QString());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

 private:
  std::unique_ptr<ScratchFolder> folder_;
};

}  // namespace varnlink::app

QTEST_MAIN(varnlink::app::MainWindowTest)
#include "main_window_test.moc"
