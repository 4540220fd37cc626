#include "platform/file_facts.h"

namespace varnlink::platform {

std::string ShortcutNameOf(const std::string& path, char separator) {
  const std::size_t slash = path.rfind(separator);
  const std::string component = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = component.rfind('.');
  return dot == std::string::npos ? component : component.substr(0, dot);
}

FileFacts GatherFileFacts(const std::string& path, const FileServices& files) {
  const FileStatus status = files.StatusOf(path);
  FileFacts facts;
  facts.path = path;
  facts.name = ShortcutNameOf(path, files.PathSeparator());
  facts.size = status.size;
  facts.attributes = status.attributes;
  facts.times = status.times;
  if (status.times) {
    const auto local = [&](FileTime t) {
      return files.LocalTimeOf(t).value_or(LocalTime{});
    };
    facts.created_local = local(status.times->created);
    facts.modified_local = local(status.times->modified);
    facts.accessed_local = local(status.times->accessed);
  }
  return facts;
}

}  // namespace varnlink::platform
