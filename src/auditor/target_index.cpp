#include "auditor/target_index.h"

#include <algorithm>

namespace varnlink::auditor {

void TargetIndex::Clear() {
  nodes_.clear();
  long_keys_.clear();
}

std::optional<std::size_t> TargetIndex::ChildStartingWith(const std::string& text,
                                                          std::size_t node, char c) const {
  for (const std::size_t child : nodes_[node].children) {
    if (text[nodes_[child].label_start] == c) return child;
  }
  return std::nullopt;
}

void TargetIndex::Add(const std::string& text, std::size_t position, std::size_t key_start,
                      std::size_t key_end) {
  if (nodes_.empty()) nodes_.push_back(Node{0, 0, position, {}});
  if (key_end - key_start >= kDepth) {
    long_keys_[text.substr(key_start, kDepth)].push_back(position);
    key_end = key_start + kDepth;
  }
  std::size_t node = 0;
  std::size_t i = key_start;
  while (i < key_end) {
    const auto child = ChildStartingWith(text, node, text[i]);
    if (!child) {
      nodes_.push_back(Node{i, key_end - i, position, {}});
      nodes_[node].children.push_back(nodes_.size() - 1);
      return;
    }
    const std::size_t label_start = nodes_[*child].label_start;
    const std::size_t label_size = nodes_[*child].label_size;
    std::size_t k = 0;
    while (k < label_size && i + k < key_end && text[label_start + k] == text[i + k]) ++k;
    if (k < label_size) {
      // Split the edge: a new node for the shared part, which inherits the
      // child's (earlier) position.
      nodes_.push_back(Node{label_start, k, nodes_[*child].earliest, {*child}});
      const std::size_t middle = nodes_.size() - 1;
      nodes_[*child].label_start += k;
      nodes_[*child].label_size -= k;
      std::replace(nodes_[node].children.begin(), nodes_[node].children.end(), *child, middle);
      node = middle;
    } else {
      node = *child;
    }
    i += k;
  }
}

std::optional<std::size_t> TargetIndex::Earliest(const std::string& text,
                                                 std::string_view key_prefix,
                                                 std::size_t label_size) const {
  if (nodes_.empty()) return std::nullopt;
  if (key_prefix.size() > kDepth) {
    const auto candidates = long_keys_.find(std::string(key_prefix.substr(0, kDepth)));
    if (candidates == long_keys_.end()) return std::nullopt;
    for (const std::size_t position : candidates->second) {
      if (text.compare(position + label_size, key_prefix.size(), key_prefix) == 0) return position;
    }
    return std::nullopt;
  }
  std::size_t node = 0;
  std::size_t i = 0;
  while (i < key_prefix.size()) {
    const auto child = ChildStartingWith(text, node, key_prefix[i]);
    if (!child) return std::nullopt;
    const Node& edge = nodes_[*child];
    const std::size_t k = std::min(edge.label_size, key_prefix.size() - i);
    if (text.compare(edge.label_start, k, key_prefix.substr(i, k)) != 0) return std::nullopt;
    node = *child;
    i += k;
  }
  return nodes_[node].earliest;
}

}  // namespace varnlink::auditor
