#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <string_view>

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
  // With `keep_folder_open`, files are looked up by name in their folder,
  // which stays open from one file to the next: a walk asks about one
  // folder's files after another, and the system then walks the folder's
  // path once, not at every call. For a program that ends with its run: a
  // folder kept open keeps its drive from being unmounted.
  explicit LinuxFileServices(bool keep_folder_open = false) : keep_folder_open_(keep_folder_open) {}

  [[nodiscard]] FileStatus StatusOf(const std::string& path) const override;
  [[nodiscard]] std::vector<std::uint8_t> ReadFileStart(const std::string& path,
                                                        std::size_t max_bytes) const override;
  [[nodiscard]] Sha256Digest Sha256OfFile(const std::string& path) const override;
  [[nodiscard]] std::optional<LocalTime> LocalTimeOf(FileTime time) const override;
  [[nodiscard]] char PathSeparator() const override { return '/'; }
  [[nodiscard]] const text::TextDecoder& AnsiDecoder() const override { return ansi_; }
  [[nodiscard]] std::unique_ptr<FileServices> ForAnotherThread() const override {
    return std::make_unique<LinuxFileServices>(keep_folder_open_);
  }

 private:
  [[nodiscard]] bool OnFatFileSystem(const std::string& path, dev_t device) const;

  // Where the file at `path` is looked up: a descriptor of its folder and its
  // name there; or, without keep_folder_open or where the folder cannot be
  // opened (the lookup of the whole path then fails with the true cause), the
  // current folder and the whole path. `name` points into `path`.
  struct Lookup {
    int folder;
    const char* name;
  };
  [[nodiscard]] Lookup LookupOf(const std::string& path) const;

  // The folder of the last lookup, open for lookups only (O_PATH). A copy
  // starts without one.
  class OpenFolder {
   public:
    OpenFolder() = default;
    OpenFolder(const OpenFolder&) {}
    OpenFolder& operator=(const OpenFolder&) { return *this; }
    ~OpenFolder();
    [[nodiscard]] int Descriptor(std::string_view folder);  // -1 when it cannot be opened

   private:
    std::string path_;
    int fd_ = -1;
  };

  struct Remembered {
    std::string path;
    unsigned mode = 0;
    std::uint64_t size = 0;
  };
  mutable std::optional<Remembered> remembered_;  // the last StatusOf, until the next read
  mutable std::map<dev_t, bool> fat_devices_;
  bool keep_folder_open_;
  text::Windows1252Decoder ansi_;
  mutable OpenFolder folder_;
};

// The attribute bits of a stat result for the entry named `name`.
[[nodiscard]] std::uint32_t LinuxAttributes(unsigned mode, bool is_symlink_to_folder,
                                            const std::string& name);

}  // namespace varnlink::platform
