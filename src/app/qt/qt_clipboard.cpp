#include "app/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/error.h"

namespace varnlink::app::qt {

void QtClipboard::Clear() { QGuiApplication::clipboard()->clear(); }

void QtClipboard::SetText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) throw platform::Error("Clipboard: no clipboard is available.");
  auto* data = new QMimeData;  // the clipboard takes ownership
  data->setText(QString::fromStdString(text));
  clipboard->setMimeData(data);
}

}  // namespace varnlink::app::qt
