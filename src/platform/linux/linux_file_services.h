#pragma once

#include <sys/types.h>

#include <map>

#include "platform/file_services.h"

namespace varnlink::platform {

// File services over Linux calls. Attributes follow the Windows meaning as
// closely as Linux allows: read-only when the owner may not write, hidden when
// the name starts with ".", system for anything that is neither a regular file
// nor a folder, archive for every regular file; real DOS attributes are used
// where a FAT file system keeps them. Shortcuts are read without updating
// their access time where the system allows it.
//
// An audit asks for a file's status, then its bytes; the status read first
// also tells the read that the file is a regular one, so a shortcut costs
// one status call.
class LinuxFileServices : public FileServices {
 public:
  [[nodiscard]] FileStatus StatusOf(const std::string& path) const override;
  [[nodiscard]] std::vector<std::uint8_t> ReadFileStart(const std::string& path,
                                                        std::size_t max_bytes) const override;
  [[nodiscard]] std::optional<LocalTime> LocalTimeOf(FileTime time) const override;
  [[nodiscard]] char PathSeparator() const override { return '/'; }
  [[nodiscard]] std::string AnsiToUtf8(std::string_view bytes) const override;

 private:
  [[nodiscard]] bool OnFatFileSystem(const std::string& path, dev_t device) const;

  struct Remembered {
    std::string path;
    unsigned mode = 0;
    std::uint64_t size = 0;
  };
  mutable std::optional<Remembered> remembered_;  // the last StatusOf, until the next read
  mutable std::map<dev_t, bool> fat_devices_;
};

// The attribute bits of a stat result for the entry named `name`.
[[nodiscard]] std::uint32_t LinuxAttributes(unsigned mode, bool is_symlink_to_folder,
                                            const std::string& name);

}  // namespace varnlink::platform
