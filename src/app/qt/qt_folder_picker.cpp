#include "app/qt/qt_folder_picker.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

namespace varnlink::app::qt {

std::optional<std::string> QtFolderPicker::PickFolder(const std::string& title) {
  // The user chooses with the normal pointer while the window may show the hourglass.
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  const QString folder = QFileDialog::getExistingDirectory(
      parent_.data(), QString::fromStdString(title), QString(), QFileDialog::ShowDirsOnly);
  QApplication::restoreOverrideCursor();
  if (folder.isEmpty()) return std::nullopt;
  // The file system's own bytes, so that a name that is not UTF-8 stays its own.
  return QFile::encodeName(folder).toStdString();
}

}  // namespace varnlink::app::qt
