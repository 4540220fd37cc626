#include "app/qt/window_app.h"

#include <QDir>

namespace varnlink::app::qt {

WindowApp::WindowApp()
    : model_(window::Platform{files_, folders_, messages_, printer_, clipboard_}),
      window_(model_, folders_, files_.PathSeparator(), messages_) {
  messages_.SetParent(&window_);
}

void WindowApp::Start(const std::optional<std::string>& folder) {
  window_.Load();
  if (folder) {
    const QString absolute =
        QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromStdString(*folder)));
    window_.OpenFolder(absolute.toStdString());
  }
}

}  // namespace varnlink::app::qt
