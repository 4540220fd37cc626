// varnlink: the Varnlink desktop window.
//   varnlink [FOLDER]   opens the window, on FOLDER when given

#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>

#include "app/qt/window_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);  // takes Qt's own options (-platform, ...)
  QApplication::setApplicationName(QStringLiteral("Varnlink"));
  QApplication::setApplicationVersion(QStringLiteral("1.0"));

  const QStringList arguments = QApplication::arguments().mid(1);
  if (arguments.size() > 1 || (arguments.size() == 1 && arguments.front().startsWith('-'))) {
    const bool help = arguments.size() == 1 && (arguments.front() == QStringLiteral("-h") ||
                                                arguments.front() == QStringLiteral("--help"));
    std::fputs("usage: varnlink [FOLDER]\n  Opens the Varnlink window, on FOLDER when given.\n",
               help ? stdout : stderr);
    return help ? 0 : 2;
  }
  std::optional<std::string> folder;
  if (!arguments.isEmpty()) folder = arguments.front().toStdString();

  varnlink::app::qt::WindowApp app;
  app.Start(folder);
  return QApplication::exec();
}
