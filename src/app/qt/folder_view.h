#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>

namespace varnlink::platform {
class FolderListing;
}

namespace varnlink::app::qt {

// The folder list as Windows draws one: the current drive's root, each
// folder down to the current one (open), then the current folder's sub-folders
// (closed), indented by depth, names as the report shows them. It only draws
// what it is told and reports the user's moves (with each folder's real path);
// which folder is current is the window model's business.
class FolderView : public QTreeWidget {
 public:
  FolderView(const platform::FolderListing& folders, char separator, QWidget* parent = nullptr);

  // Shows `path` (a folder under `root`, which ends with the separator) with
  // `highlighted` highlighted (the current folder when empty). Relists the
  // sub-folders only when the path or root changed.
  void Show(const std::string& root, const std::string& path, const std::string& highlighted);

  // The user clicked an entry or moved the highlight; the entry's full path.
  std::function<void(const std::string&)> on_highlight;
  // The user opened an entry (double-click or Enter); the entry's full path.
  std::function<void(const std::string&)> on_open;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Every folder shown is already open: no expand or collapse marks.
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

 private:
  void Rebuild(const std::string& root, const std::string& path);
  bool Highlight(const std::string& path);  // false when `path` is not shown

  const platform::FolderListing& folders_;
  char separator_;
  std::string shown_root_;
  std::string shown_path_;
  bool shown_ = false;
  bool drawing_ = false;  // set while Show changes the widget: no user events then
};

}  // namespace varnlink::app::qt
