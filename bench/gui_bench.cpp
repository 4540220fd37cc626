// The window's figure: the time from pressing "Audit" to the report shown, in
// the real Qt window (any platform plugin; the harness uses offscreen), for
// the folder tree given, with the duplicate warnings off.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <cstdio>
#include <string>

#include "app/qt/report_view.h"
#include "app/qt/window_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: varnlink_gui_bench TREE\n");
    return 2;
  }
  varnlink::app::qt::WindowApp app;
  app.Start(std::string(argv[1]));
  auto* audit = app.Window().findChild<QPushButton*>(QStringLiteral("audit"));
  auto* result = app.Window().findChild<QLabel*>(QStringLiteral("result_text"));
  auto* report = app.Window().findChild<varnlink::app::qt::ReportView*>(QStringLiteral("report"));
  if (audit == nullptr || result == nullptr || report == nullptr) {
    std::fprintf(stderr, "varnlink_gui_bench: the window has no Audit button, result line or report\n");
    return 1;
  }
  QApplication::processEvents();

  QElapsedTimer timer;
  timer.start();
  audit->click();                  // runs the audit and draws the model
  report->viewport()->repaint();   // the report pane painted with the new text
  QApplication::processEvents();
  const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;

  std::printf("window: Audit pressed to report shown: %.3f s (%s, report %.1f MiB)\n", seconds,
              result->text().toUtf8().constData(),
              static_cast<double>(app.Model().report.size()) / (1024.0 * 1024.0));
  return 0;
}
