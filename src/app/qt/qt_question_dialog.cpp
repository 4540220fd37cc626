#include "app/qt/qt_question_dialog.h"

#include <QApplication>
#include <QMessageBox>

#include "text/report_text.h"

namespace varnlink::app::qt {

bool QtQuestionDialog::Ask(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Varnlink"),
                  QString::fromStdString(text::ShownText(text)),
                  QMessageBox::Ok | QMessageBox::Cancel, parent_.data());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  box.setWindowModality(Qt::ApplicationModal);
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box.exec();
  QApplication::restoreOverrideCursor();
  return answer == QMessageBox::Ok;
}

}  // namespace varnlink::app::qt
