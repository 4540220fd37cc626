// Fuzz target, differential: the report's duplicate search (Report::FindLineStart
// and Report::LocationBefore, answered from indexes kept up to date by every
// change of the text) against the plain searches they must equal
// (FindLineStartLiteral: the first line that begins with the needle,
// prefix matches included; LocationBeforeLiteral: a backward scan for the
// nearest line that begins with "LOCATION:   "), after any sequence of
// appends, replacements and clears.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "auditor/report.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/search_ops.h"

namespace {

using varnlink::fuzz::SearchOp;

class Input {
 public:
  explicit Input(std::span<const std::uint8_t> data) : data_(data) {}
  [[nodiscard]] bool Empty() const { return data_.empty(); }
  std::uint8_t Byte() {
    if (data_.empty()) return 0;
    const std::uint8_t b = data_[0];
    data_ = data_.subspan(1);
    return b;
  }
  std::string Piece() {
    std::size_t n = Byte();
    std::string piece;
    const auto words = varnlink::fuzz::ReportWords();
    while (n-- > 0 && !data_.empty()) {
      const std::uint8_t b = Byte();
      if (b >= 0xF0) {
        piece += words[b - 0xF0];
      } else {
        piece += static_cast<char>(b);
      }
    }
    return piece;
  }

 private:
  std::span<const std::uint8_t> data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(std::span(data, size));
  varnlink::auditor::Report report;
  std::string shadow;  // what the text must be after the same changes
  while (!input.Empty()) {
    switch (static_cast<SearchOp>(input.Byte() % 5)) {
      case SearchOp::kAppend: {
        const std::string piece = input.Piece();
        report.Append(piece);
        shadow += piece;
        break;
      }
      case SearchOp::kSetText:
        shadow = input.Piece();
        report.SetText(shadow);
        break;
      case SearchOp::kClear:
        report.Clear();
        shadow.clear();
        break;
      case SearchOp::kFindFirst: {
        const std::string needle = input.Piece();
        const auto found = report.FindLineStart(needle);
        VARNLINK_FUZZ_CHECK(found == varnlink::auditor::FindLineStartLiteral(report.Text(), needle),
                            "FindLineStart equals the literal search");
        if (found) {
          VARNLINK_FUZZ_CHECK(report.LocationBefore(*found) ==
                                  varnlink::auditor::LocationBeforeLiteral(report.Text(), *found),
                              "LocationBefore at a match equals the backward scan");
        }
        break;
      }
      case SearchOp::kLocationBefore: {
        const std::size_t low = input.Byte();
        const std::size_t position = (low | (std::size_t{input.Byte()} << 8)) % (shadow.size() + 1);
        VARNLINK_FUZZ_CHECK(report.LocationBefore(position) ==
                                varnlink::auditor::LocationBeforeLiteral(report.Text(), position),
                            "LocationBefore equals the backward scan");
        break;
      }
    }
    VARNLINK_FUZZ_CHECK(report.Text() == shadow, "the text is what the changes made it");
  }
  return 0;
}
