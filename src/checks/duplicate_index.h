#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnlink::checks {

// The TARGET lines of the entries reported so far, answering the duplicate
// checks' question "which entry's TARGET line first begins with this text?"
// in time proportional to the text's length, however many entries there are.
// Its answers are those of a search of the report for the first line that
// begins with "TARGET:   " and the text (prefix matches, case-sensitive).
//
// Keys live in a radix tree whose edges point into one text of its own;
// every node remembers the earliest entry below it. Entries are added in
// report order, so that earliest entry is simply the first one that reached
// the node. A key already present, or a prefix of one, adds nothing, so the
// index grows with the distinct keys, not with the entries. Keys longer than
// kDepth are also kept in a table by their first kDepth characters, whose
// candidates are checked in full.
class DuplicateIndex {
 public:
  static constexpr std::size_t kDepth = 512;

  // Adds an entry's TARGET line text (what follows the label) and its path.
  void Add(std::string_view key, std::string_view path);

  // The path of the earliest entry whose key begins with `prefix`.
  [[nodiscard]] std::optional<std::string_view> EarliestWithPrefix(std::string_view prefix) const;

 private:
  struct Node {
    std::size_t label_start = 0;  // the edge into this node: text_[label_start, +label_size)
    std::size_t label_size = 0;
    std::size_t earliest = 0;  // index into paths_
    std::vector<std::size_t> children;
  };
  struct LongKey {
    std::size_t start = 0;  // text_[start, +size)
    std::size_t size = 0;
    std::size_t path = 0;
  };

  // Inserts text_[key_start, key_end) for path `path`; true when a node now
  // refers to that text or path.
  bool Insert(std::size_t key_start, std::size_t key_end, std::size_t path);
  [[nodiscard]] std::optional<std::size_t> ChildStartingWith(std::size_t node, char c) const;

  std::string text_;  // the keys that nodes refer to, one after another
  std::vector<std::string> paths_;
  std::vector<Node> nodes_;  // nodes_[0] is the root once anything was added
  std::unordered_map<std::string, std::vector<LongKey>> long_keys_;
};

}  // namespace varnlink::checks
