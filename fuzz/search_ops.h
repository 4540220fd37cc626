#pragma once

// How fuzz_duplicate_search reads its input: a sequence of operations on one
// report, each an operation byte followed by its operand.
//
//   op % 5 == 0  Append(piece)      1  SetText(piece)      2  Clear()
//   op % 5 == 3  FindLineStart(piece)   4  LocationBefore(u16 % (size + 1))
//
// A piece is a length byte and that many bytes; bytes 0xF0 to 0xFF stand for
// the report's own words (labels, line ends, marker texts) so that short
// inputs make report-like text.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnlink::fuzz {

enum class SearchOp : std::uint8_t { kAppend, kSetText, kClear, kFindFirst, kLocationBefore };

// The words that bytes 0xF0.. stand for.
[[nodiscard]] std::span<const std::string_view> ReportWords();

// Encoders for the seed generator.
void PutPiece(std::string& input, SearchOp op, std::string_view piece);
void PutClear(std::string& input);
void PutLocationBefore(std::string& input, std::uint16_t position);

}  // namespace varnlink::fuzz
