#pragma once

#include <optional>
#include <string>

namespace varnlink::window {

// A modal folder chooser titled `title`: the folder the user chose (its full
// path, UTF-8 in the platform's form), or nullopt when they cancelled. It
// may offer to create a new folder; it never changes one that exists.
class FolderPicker {
 public:
  virtual ~FolderPicker() = default;
  [[nodiscard]] virtual std::optional<std::string> PickFolder(const std::string& title) = 0;
};

}  // namespace varnlink::window
