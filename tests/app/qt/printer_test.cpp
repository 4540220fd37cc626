// "Print" against the real print spooler: CUPS with the cups-pdf queue as the
// default printer (.ci/setup.d/20-cups.sh sets it up). Each print is one job,
// known by the id the spooler gave it (whatever else others print on the same
// queue meanwhile), that completes with a PDF holding the whole report, page
// after page. Skips with a message where no CUPS scheduler runs.

#include <cups/cups.h>

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <numeric>

#include "app/qt/cups_printer.h"
#include "app/qt/window_app.h"
#include "tests/app/qt/message_box_answerer.h"

namespace varnlink::app::qt {
namespace {

QString Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The spooler's state of job `id`; 0 while the spooler does not know it.
int JobState(int id) {
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
  int state = 0;
  for (int i = 0; i < count; ++i) {
    if (jobs[i].id == id) state = jobs[i].state;
  }
  cupsFreeJobs(count, jobs);
  return state;
}

// cups-pdf writes "<title>-job_<id>.pdf" into the user's ~/PDF (or its spool
// folder for unknown users).
QString PdfOfJob(int id) {
  const QString number = QString::number(id);
  for (const QString& folder :
       {QDir::homePath() + QStringLiteral("/PDF"), QStringLiteral("/var/spool/cups-pdf")}) {
    QDirIterator it(folder, {QStringLiteral("*job_") + number + QStringLiteral(".pdf")},
                    QDir::Files, QDirIterator::Subdirectories);
    if (it.hasNext()) return it.next();
  }
  return {};
}

int PageCount(const QString& pdf) {
  const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
  const QRegularExpressionMatch match =
      QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QStringList PageLines(const QString& pdf, int page) {
  const QString text =
      Run(QStringLiteral("pdftotext"),
          {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
           QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  QStringList lines;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    if (!line.trimmed().isEmpty() && line.trimmed() != QStringLiteral("\f"))
      lines.append(line.trimmed());
  }
  return lines;
}

}  // namespace

class PrinterTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!Run(QStringLiteral("lpstat"), {QStringLiteral("-r")})
             .contains(QStringLiteral("is running")))
      QSKIP("No CUPS scheduler is reachable here; run .ci/setup.d/20-cups.sh to start one.");
    if (!Run(QStringLiteral("lpstat"), {QStringLiteral("-d")})
             .contains(QStringLiteral("destination: ")))
      QSKIP("CUPS runs but has no default printer; .ci/setup.d/20-cups.sh adds the PDF queue.");
  }

  void printingMakesOneJobHoldingTheWholeReport_data() {
    QTest::addColumn<int>("lines");
    QTest::newRow("empty report") << 0;
    QTest::newRow("a few lines") << 12;
    QTest::newRow("several pages") << 150;
  }

  void printingMakesOneJobHoldingTheWholeReport() {
    QFETCH(int, lines);
    std::string report;
    for (int i = 1; i <= lines; ++i) report += "LOCATION:   line " + std::to_string(i) + "\r\n";

    const int job = CupsPrinter().PrintText(report);
    QVERIFY(job > 0);
    QTRY_VERIFY_WITH_TIMEOUT(JobState(job) >= IPP_JSTATE_CANCELED, 60000);
    QCOMPARE(JobState(job), int{IPP_JSTATE_COMPLETED});

    QString pdf;
    QTRY_VERIFY_WITH_TIMEOUT(!(pdf = PdfOfJob(job)).isEmpty(), 10000);
    const int pages = PageCount(pdf);
    QVERIFY2(pages >= 1, qPrintable(pdf));

    // Every line arrives; full pages hold equally many lines and the last one
    // the rest, so the page count follows from the first page. (The spooler's
    // conversion leaves the PDF's fonts without a Unicode map, so the lines'
    // characters cannot be compared.)
    QList<qsizetype> per_page;
    for (int page = 1; page <= pages; ++page) per_page.append(PageLines(pdf, page).size());
    QCOMPARE(std::accumulate(per_page.begin(), per_page.end(), qsizetype{0}), qsizetype{lines});
    QCOMPARE(pages, lines == 0 ? 1 : static_cast<int>((lines + per_page[0] - 1) / per_page[0]));
  }

  void withNoDefaultPrinterTheUserIsTold() {
    // A spooler that cannot be reached knows no default printer.
    cupsSetServer("/nonexistent/varnlink-test/cups.sock");
    WindowApp app;
    app.Start(std::nullopt);
    test::MessageBoxAnswerer answerer;
    QTest::mouseClick(app.Window().findChild<QPushButton*>(QStringLiteral("print")),
                      Qt::LeftButton);
    cupsSetServer(nullptr);
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY2(answerer.texts.front().startsWith(
                 QStringLiteral("Print failed: No default printer is installed.")),
             qPrintable(answerer.texts.front()));
  }
};

}  // namespace varnlink::app::qt

QTEST_MAIN(varnlink::app::qt::PrinterTest)
#include "printer_test.moc"
