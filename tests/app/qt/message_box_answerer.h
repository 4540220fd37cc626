#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace varnlink::app::qt::test {

// Answers every message box the window opens while it lives, as a user
// pressing OK would, and keeps what each box said (with its title and icon).
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      texts.append(box->text());
      if (observe) observed.append(observe());
      titles.append(box->windowTitle());
      all_information_ok_only = all_information_ok_only &&
                                box->icon() == QMessageBox::Information &&
                                box->standardButtons() == QMessageBox::Ok &&
                                box->textFormat() == Qt::PlainText;  // names are no markup
      box->button(QMessageBox::Ok)->click();
    });
    timer_.start();
  }

  QStringList texts;
  // What `observe` saw as each box came up.
  std::function<QString()> observe;
  QStringList observed;
  QStringList titles;
  bool all_information_ok_only = true;

 private:
  QTimer timer_;
};

}  // namespace varnlink::app::qt::test
