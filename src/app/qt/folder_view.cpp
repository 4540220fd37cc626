#include "app/qt/folder_view.h"

#include <QKeyEvent>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "platform/folder_listing.h"
#include "text/report_text.h"

namespace varnlink::app::qt {
namespace {

// Each entry keeps its folder's full path as the file system spells it (bytes,
// not necessarily UTF-8); its text is the name as the report shows it.
constexpr int kPathRole = Qt::UserRole;

std::string PathOf(const QTreeWidgetItem* item) {
  return item->data(0, kPathRole).toByteArray().toStdString();
}

QTreeWidgetItem* AddEntry(QTreeWidgetItem* parent, QTreeWidget* tree, const std::string& name,
                          const std::string& path, const QIcon& icon) {
  const QStringList text{QString::fromStdString(text::ShownText(name))};
  auto* item =
      parent != nullptr ? new QTreeWidgetItem(parent, text) : new QTreeWidgetItem(tree, text);
  item->setIcon(0, icon);
  item->setData(0, kPathRole, QByteArray::fromStdString(path));
  return item;
}

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
std::vector<std::string> SubFolders(const platform::FolderListing& folders,
                                    const std::string& folder, char separator) {
  std::vector<std::string> names;
  try {
    const std::string listed =
        !folder.empty() && folder.back() == separator ? folder : folder + separator;
    for (const platform::FolderEntry& entry : folders.List(listed)) {
      if (entry.kind != platform::EntryKind::kFolder || entry.name == "." || entry.name == "..")
        continue;
      names.push_back(entry.name);
    }
  } catch (const std::exception&) {
    names.clear();
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b),
                            Qt::CaseInsensitive) < 0;
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
    if (!drawing_ && item != nullptr && on_highlight) on_highlight(PathOf(item));
  });
  // A click on the entry already highlighted is a click all the same.
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    if (!drawing_ && item != nullptr && on_highlight) on_highlight(PathOf(item));
  });
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (!drawing_ && item != nullptr && on_open) on_open(PathOf(item));
  });
}

void FolderView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      currentItem() != nullptr && on_open) {
    on_open(PathOf(currentItem()));
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
  QTreeWidgetItem* parent = AddEntry(nullptr, this, root, root, open_icon);
  std::string full = root;
  if (path.size() > root.size() && path.compare(0, root.size(), root) == 0) {
    for (const std::string& part : SplitPath(path.substr(root.size()), separator_)) {
      if (!full.empty() && full.back() != separator_) full += separator_;
      full += part;
      parent->setExpanded(true);
      parent = AddEntry(parent, this, part, full, open_icon);
    }
  }
  const std::string base = !full.empty() && full.back() == separator_ ? full : full + separator_;
  for (const std::string& name : SubFolders(folders_, full, separator_)) {
    AddEntry(parent, this, name, base + name, closed_icon);
  }
  parent->setExpanded(true);
}

bool FolderView::Highlight(const std::string& path) {
  for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
    if (PathOf(*it) == path) {
      if (currentItem() != *it) setCurrentItem(*it);
      scrollToItem(*it);
      return true;
    }
  }
  return false;
}

}  // namespace varnlink::app::qt
