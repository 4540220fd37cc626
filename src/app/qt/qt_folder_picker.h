#pragma once

#include <QPointer>
#include <QWidget>

#include "window/folder_picker.h"

namespace varnlink::app::qt {

// Qt's folder chooser, modal over the main window, folders only. It does not
// decide what the folder is for.
class QtFolderPicker : public window::FolderPicker {
 public:
  void SetParent(QWidget* parent) { parent_ = parent; }
  std::optional<std::string> PickFolder(const std::string& title) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace varnlink::app::qt
