#include "app/qt/report_view.h"

#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstring>
#include <limits>

namespace varnlink::app::qt {
namespace {

constexpr int kMarginPixels = 3;

// The pane's font: "MS Sans Serif" 8.5 point where it is installed, else the
// system's sans-serif at that size.
QFont ReportFont() {
  QFont font = QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))
                   ? QFont(QStringLiteral("MS Sans Serif"))
                   : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPointSizeF(8.5);
  return font;
}

}  // namespace

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(ReportFont());
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void ReportView::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  line_starts_.clear();
  line_starts_.push_back(0);
  longest_line_ = 0;
  std::size_t longest_bytes = 0;
  const char* begin = text_.data();
  const char* end = begin + text_.size();
  for (const char* p = begin; p < end;) {
    const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    const char* line_end = found != nullptr ? static_cast<const char*>(found) : end;
    const auto bytes = static_cast<std::size_t>(line_end - p);
    if (bytes > longest_bytes) {
      longest_bytes = bytes;
      longest_line_ = line_starts_.size() - 1;
    }
    if (found == nullptr) break;
    p = line_end + 1;
    line_starts_.push_back(static_cast<std::size_t>(p - begin));
  }
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  UpdateScrollBars();
  viewport()->update();
}

QString ReportView::Line(std::size_t index) const {
  const std::size_t start = line_starts_[index];
  std::size_t end = index + 1 < line_starts_.size() ? line_starts_[index + 1] - 1 : text_.size();
  if (end > start && text_[end - 1] == '\r') --end;
  return QString::fromUtf8(text_.data() + start, static_cast<qsizetype>(end - start));
}

int ReportView::VisibleLines() const {
  return std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
}

void ReportView::UpdateScrollBars() {
  const int visible = VisibleLines();
  const auto lines =
      static_cast<int>(std::min<std::size_t>(line_starts_.size(), std::numeric_limits<int>::max()));
  verticalScrollBar()->setRange(0, std::max(0, lines - visible));
  verticalScrollBar()->setPageStep(visible);
  verticalScrollBar()->setSingleStep(1);
  // Measuring every line would cost as much as a text document's layout; the
  // line with the most bytes stands in for the widest.
  const int widest = fontMetrics().horizontalAdvance(Line(longest_line_)) + 2 * kMarginPixels;
  horizontalScrollBar()->setRange(0, std::max(0, widest - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth() * 4);
}

void ReportView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Text));
  const QFontMetrics metrics = fontMetrics();
  const int spacing = metrics.lineSpacing();
  const int x = kMarginPixels - horizontalScrollBar()->value();
  const auto first = static_cast<std::size_t>(verticalScrollBar()->value());
  const QRect area = event->rect();
  int top = 0;
  for (std::size_t i = first; i < line_starts_.size() && top < area.bottom() + 1; ++i) {
    if (top + spacing > area.top()) painter.drawText(x, top + metrics.ascent(), Line(i));
    top += spacing;
  }
}

void ReportView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void ReportView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) UpdateScrollBars();
}

}  // namespace varnlink::app::qt
