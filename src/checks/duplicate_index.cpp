#include "checks/duplicate_index.h"

#include <algorithm>

namespace varnlink::checks {

std::optional<std::size_t> DuplicateIndex::ChildStartingWith(std::size_t node, char c) const {
  for (const std::size_t child : nodes_[node].children) {
    if (text_[nodes_[child].label_start] == c) return child;
  }
  return std::nullopt;
}

void DuplicateIndex::Add(std::string_view key, std::string_view path) {
  const std::size_t text_size = text_.size();
  const std::size_t path_index = paths_.size();
  text_.append(key);
  paths_.emplace_back(path);
  bool kept = false;
  if (key.size() >= kDepth) {
    auto& candidates = long_keys_[std::string(key.substr(0, kDepth))];
    const bool known = std::any_of(candidates.begin(), candidates.end(), [&](const LongKey& k) {
      return std::string_view(text_).substr(k.start, k.size) == key;
    });
    if (!known) {
      candidates.push_back({text_size, key.size(), path_index});
      kept = true;
    }
  }
  const std::size_t depth = std::min(key.size(), kDepth);
  kept = Insert(text_size, text_size + depth, path_index) || kept;
  if (!kept) {
    // Neither the key nor the path is referred to: an earlier entry answers
    // for everything this one could.
    text_.resize(text_size);
    paths_.pop_back();
  }
}

bool DuplicateIndex::Insert(std::size_t key_start, std::size_t key_end, std::size_t path) {
  bool referred = false;
  if (nodes_.empty()) {
    nodes_.push_back(Node{0, 0, path, {}});  // the root answers the empty prefix
    referred = true;
  }
  std::size_t node = 0;
  std::size_t i = key_start;
  while (i < key_end) {
    const auto child = ChildStartingWith(node, text_[i]);
    if (!child) {
      nodes_.push_back(Node{i, key_end - i, path, {}});
      nodes_[node].children.push_back(nodes_.size() - 1);
      return true;
    }
    const std::size_t label_start = nodes_[*child].label_start;
    const std::size_t label_size = nodes_[*child].label_size;
    std::size_t k = 0;
    while (k < label_size && i + k < key_end && text_[label_start + k] == text_[i + k]) ++k;
    if (k < label_size) {
      // Split the edge: a new node for the shared part, which inherits the
      // child's (earlier) entry.
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
  return referred;
}

std::optional<std::string_view> DuplicateIndex::EarliestWithPrefix(std::string_view prefix) const {
  if (nodes_.empty()) return std::nullopt;
  if (prefix.size() > kDepth) {
    const auto candidates = long_keys_.find(std::string(prefix.substr(0, kDepth)));
    if (candidates == long_keys_.end()) return std::nullopt;
    for (const LongKey& key : candidates->second) {
      if (std::string_view(text_).substr(key.start, key.size).starts_with(prefix)) {
        return paths_[key.path];
      }
    }
    return std::nullopt;
  }
  std::size_t node = 0;
  std::size_t i = 0;
  while (i < prefix.size()) {
    const auto child = ChildStartingWith(node, prefix[i]);
    if (!child) return std::nullopt;
    const Node& edge = nodes_[*child];
    const std::size_t k = std::min(edge.label_size, prefix.size() - i);
    if (std::string_view(text_).substr(edge.label_start, k) != prefix.substr(i, k)) {
      return std::nullopt;
    }
    node = *child;
    i += k;
  }
  return paths_[nodes_[node].earliest];
}

}  // namespace varnlink::checks
