#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnlink::auditor {

// An index of the lines of a text that begin with a fixed label (for the
// report: "TARGET:   "), answering "which such line first begins with this
// text?" in time proportional to the text's length, however long the report.
//
// Each line is keyed by what follows the label up to the line's end (CR or
// LF). A query that holds no CR or LF begins a line exactly when its remainder
// is a prefix of that line's key. Keys live in a radix tree whose edges point into the text
// itself; every node remembers the earliest occurrence below it. Occurrences
// are added in increasing position, so that earliest position is simply the
// first one that reached the node. Keys longer than kDepth are also kept in a
// table by their first kDepth characters, whose candidates are checked in full.
//
// It does not own the text and does not see lines that are not yet complete;
// the caller searches those directly.
class TargetIndex {
 public:
  static constexpr std::size_t kDepth = 512;

  void Clear();

  // Adds the line at `position`, whose key is text[key_start, key_end).
  // Positions must increase from call to call.
  void Add(const std::string& text, std::size_t position, std::size_t key_start,
           std::size_t key_end);

  // The earliest added line whose key begins with `key_prefix`.
  [[nodiscard]] std::optional<std::size_t> Earliest(const std::string& text,
                                                    std::string_view key_prefix,
                                                    std::size_t label_size) const;

 private:
  struct Node {
    std::size_t label_start = 0;  // the edge into this node: text[label_start, +label_size)
    std::size_t label_size = 0;
    std::size_t earliest = 0;
    std::vector<std::size_t> children;
  };

  [[nodiscard]] std::optional<std::size_t> ChildStartingWith(const std::string& text,
                                                             std::size_t node, char c) const;

  std::vector<Node> nodes_;  // nodes_[0] is the root once anything was added
  std::unordered_map<std::string, std::vector<std::size_t>> long_keys_;
};

}  // namespace varnlink::auditor
