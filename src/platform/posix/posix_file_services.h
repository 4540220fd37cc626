#pragma once

#include <sys/types.h>

#include <map>

#include "platform/file_services.h"

namespace varnlink::platform {

// File services over POSIX calls. Attributes follow the Windows meaning as
// closely as POSIX allows: read-only when the owner may not write, hidden when
// the name starts with ".", system for anything that is neither a regular file
// nor a folder, archive for every regular file; real DOS attributes are used
// where a FAT file system keeps them. Shortcuts are read without updating
// their access time where the system allows it.
//
// An audit asks for one file's times, size, attributes and bytes in turn; the
// status read for the times answers the size and attributes too, so a file
// costs one status call. That remembered status is dropped when the file's
// bytes are read, the last question of an audit.
class PosixFileServices : public FileServices {
 public:
  [[nodiscard]] std::uint64_t FileSize(const std::string& path) const override;
  [[nodiscard]] std::uint32_t FileAttributes(const std::string& path) const override;
  [[nodiscard]] std::optional<FileTimes> TimesOf(const std::string& path) const override;
  [[nodiscard]] std::vector<std::uint8_t> ReadFileStart(const std::string& path,
                                                        std::size_t max_bytes) const override;
  [[nodiscard]] char PathSeparator() const override { return '/'; }
  [[nodiscard]] std::string AnsiToUtf8(std::string_view bytes) const override;

 private:
  struct Status {
    std::uint64_t size = 0;
    unsigned mode = 0;
    dev_t device = 0;
  };
  [[nodiscard]] Status StatusOf(const std::string& path, const char* what) const;
  [[nodiscard]] bool OnFatFileSystem(const std::string& path, dev_t device) const;

  mutable std::string remembered_path_;
  mutable std::optional<Status> remembered_;
  mutable std::map<dev_t, bool> fat_devices_;
};

// The attribute bits of a stat result for the entry named `name`.
[[nodiscard]] std::uint32_t PosixAttributes(unsigned mode, bool is_symlink_to_folder,
                                            const std::string& name);

}  // namespace varnlink::platform
