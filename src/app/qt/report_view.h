#pragma once

#include <QAbstractScrollArea>
#include <cstddef>
#include <string>
#include <vector>

namespace varnlink::app::qt {

// The results pane: shows the report read-only, drawing only the lines in
// view. Setting a report indexes its line starts once, so a report of tens of
// thousands of entries appears at once, which a text document widget cannot
// do (it lays out every line up front). It does not select or edit text;
// Copy and Print take the report from the window model.
class ReportView : public QAbstractScrollArea {
 public:
  explicit ReportView(QWidget* parent = nullptr);

  // `text` is the report, UTF-8 with CR LF line ends. Unchanged text costs a
  // comparison only.
  void SetText(const std::string& text);
  [[nodiscard]] const std::string& Text() const { return text_; }
  [[nodiscard]] std::size_t LineCount() const { return line_starts_.size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  [[nodiscard]] QString Line(std::size_t index) const;
  [[nodiscard]] int VisibleLines() const;
  void UpdateScrollBars();

  std::string text_;
  std::vector<std::size_t> line_starts_{0};  // where each line begins; never empty
  std::size_t longest_line_ = 0;             // index of the line with the most bytes
};

}  // namespace varnlink::app::qt
