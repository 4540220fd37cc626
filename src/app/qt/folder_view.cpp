#include "app/qt/folder_view.h"

#include <QKeyEvent>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "platform/folder_listing.h"
#include "window/controls.h"

namespace varnlink::app::qt {
namespace {

constexpr int kPathRole = Qt::UserRole;

std::vector<std::string> SplitPath(const std::string& relative, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t end = relative.find(separator, start);
    if (end == std::string::npos) end = relative.size();
    if (end > start) parts.push_back(relative.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The sub-folder names of `folder`, sorted as a folder list shows them. A
// folder that cannot be listed shows none; opening it reports the reason.
std::vector<QString> SubFolders(const platform::FolderListing& folders, const std::string& folder,
                                char separator) {
  std::vector<QString> names;
  try {
    const std::string listed =
        !folder.empty() && folder.back() == separator ? folder : folder + separator;
    for (const platform::FolderEntry& entry : folders.List(listed)) {
      if (entry.kind != platform::EntryKind::kFolder || entry.name == "." || entry.name == "..")
        continue;
      names.push_back(QString::fromStdString(entry.name));
    }
  } catch (const std::exception&) {
    names.clear();
  }
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  return names;
}

}  // namespace

FolderView::FolderView(const platform::FolderListing& folders, char separator, QWidget* parent)
    : QTreeWidget(parent), folders_(folders), separator_(separator) {
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(12);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!drawing_ && item != nullptr && on_highlight)
      on_highlight(item->data(0, kPathRole).toString().toStdString());
  });
  // A click on the entry already highlighted is a click all the same.
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    if (!drawing_ && item != nullptr && on_highlight)
      on_highlight(item->data(0, kPathRole).toString().toStdString());
  });
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (!drawing_ && item != nullptr && on_open)
      on_open(item->data(0, kPathRole).toString().toStdString());
  });
}

void FolderView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      currentItem() != nullptr && on_open) {
    on_open(currentItem()->data(0, kPathRole).toString().toStdString());
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void FolderView::Show(const std::string& root, const std::string& path,
                      const std::string& highlighted) {
  drawing_ = true;
  if (!shown_ || root != shown_root_ || path != shown_path_) Rebuild(root, path);
  // A highlight left over from another folder falls back to the current one.
  if (highlighted.empty() || !Highlight(highlighted)) Highlight(path);
  drawing_ = false;
}

void FolderView::Rebuild(const std::string& root, const std::string& path) {
  shown_ = true;
  shown_root_ = root;
  shown_path_ = path;
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);

  // The root, as its own path (for example "/" or "C:\").
  auto* parent = new QTreeWidgetItem(this, {QString::fromStdString(root)});
  parent->setIcon(0, open_icon);
  parent->setData(0, kPathRole, QString::fromStdString(root));
  std::string full = root;
  if (path.size() > root.size() && path.compare(0, root.size(), root) == 0) {
    for (const std::string& part : SplitPath(path.substr(root.size()), separator_)) {
      if (!full.empty() && full.back() != separator_) full += separator_;
      full += part;
      parent->setExpanded(true);
      parent = new QTreeWidgetItem(parent, {QString::fromStdString(part)});
      parent->setIcon(0, open_icon);
      parent->setData(0, kPathRole, QString::fromStdString(full));
    }
  }
  const std::string base = !full.empty() && full.back() == separator_ ? full : full + separator_;
  for (const QString& name : SubFolders(folders_, full, separator_)) {
    auto* item = new QTreeWidgetItem(parent, {name});
    item->setIcon(0, closed_icon);
    item->setData(0, kPathRole, QString::fromStdString(base) + name);
  }
  parent->setExpanded(true);
}

bool FolderView::Highlight(const std::string& path) {
  const QString wanted = QString::fromStdString(path);
  for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
    if ((*it)->data(0, kPathRole).toString() == wanted) {
      if (currentItem() != *it) setCurrentItem(*it);
      scrollToItem(*it);
      return true;
    }
  }
  return false;
}

}  // namespace varnlink::app::qt
