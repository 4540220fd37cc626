#include "fuzz/search_ops.h"

#include <algorithm>
#include <array>

namespace varnlink::fuzz {
namespace {

constexpr std::array<std::string_view, 16> kWords = {
    "TARGET:   ",
    "LOCATION:   ",
    "\r\n",
    "\r",
    "\n",
    "SHORTCUT NAME:   ",
    "START IN:   ",
    "ICON SOURCE:   ",
    "*** DUPLICATE TARGET IN SHORTCUT BELOW***\r\n(duplicate located at ",
    "*** DUPLICATE TARGET AND PARAMETER STRING IN SHORTCUT BELOW***\r\n(duplicate located at ",
    ")\r\n",
    "C:\\WINDOWS\\NOTEPAD.EXE",
    " /p",
    "LOCATION",
    "\r\n\r\n",
    "C:\\",
};

}  // namespace

std::span<const std::string_view> ReportWords() { return kWords; }

void PutPiece(std::string& input, SearchOp op, std::string_view piece) {
  // Pieces longer than one length byte allows go in several appends.
  do {
    const std::size_t n = std::min<std::size_t>(piece.size(), 255);
    input += static_cast<char>(op);
    input += static_cast<char>(n);
    input.append(piece.substr(0, n));
    piece.remove_prefix(n);
    if (op == SearchOp::kSetText) op = SearchOp::kAppend;
  } while (!piece.empty() && op == SearchOp::kAppend);
}

void PutClear(std::string& input) { input += static_cast<char>(SearchOp::kClear); }

void PutLocationBefore(std::string& input, std::uint16_t position) {
  input += static_cast<char>(SearchOp::kLocationBefore);
  input += static_cast<char>(position & 0xFF);
  input += static_cast<char>(position >> 8);
}

}  // namespace varnlink::fuzz
