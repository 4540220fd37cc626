#include "app/qt/qt_message_dialog.h"

#include <QApplication>
#include <QMessageBox>

#include "text/report_text.h"

namespace varnlink::app::qt {

void QtMessageDialog::Show(const std::string& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Varnlink"),
                  QString::fromStdString(text::ShownText(text)), QMessageBox::Ok,
                  parent_.data());
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  // A box raised during an audit run waits for the user: it gets the normal
  // pointer while the rest of the window keeps the hourglass.
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QApplication::restoreOverrideCursor();
}

}  // namespace varnlink::app::qt
