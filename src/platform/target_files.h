#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnlink::platform {

// What one look at a path found, a final symbolic link not followed.
struct TargetProbe {
  enum class Kind {
    kNothing,  // nothing by that name (or a path through a file)
    kFile,     // anything that is not a folder: file, device, ...
    kFolder,
    kLink,      // a symbolic link, not followed: `link_text` is what it holds
    kNotReady,  // the drive holds no medium
  };
  Kind kind = Kind::kNothing;
  std::string link_text;
  // Of kNothing: the file system said there is no such file or folder
  // (ENOENT or ENOTDIR; file or path not found), not that it could not look.
  bool absent = false;
};

// How a drive letter of the running Windows system is reached.
enum class DriveKind { kLocal, kAbsent, kNetwork, kNoMedium };

// What the missing-target check asks of the system: it looks at paths and
// folders and reads, on Windows, the live environment and drives. It never
// opens, changes or creates anything, and never shows a system dialog (an
// empty drive fails at once). Paths are UTF-8 in the platform's own form.
class TargetFiles {
 public:
  virtual ~TargetFiles() = default;

  // True on Windows: drive letters and environment variables are the running
  // system's, and the file system itself matches names without regard to
  // case, resolves short names and follows links (Look never says kLink).
  [[nodiscard]] virtual bool LiveWindows() const = 0;

  [[nodiscard]] virtual char Separator() const = 0;

  [[nodiscard]] virtual TargetProbe Look(const std::string& path) const = 0;

  // Every name in `folder` (no trailing separator) but "." and "..",
  // hidden ones included; empty when it cannot be listed. Not asked when
  // LiveWindows.
  [[nodiscard]] virtual std::vector<std::string> Names(const std::string& folder) const = 0;

  // `path` made absolute with links resolved where the system can (else as
  // given), without a trailing separator except at a root.
  [[nodiscard]] virtual std::string FullPath(const std::string& path) const = 0;

  // The running system's environment variable `name`; nullopt when unset or
  // not LiveWindows.
  [[nodiscard]] virtual std::optional<std::string> Variable(const std::string& name) const = 0;

  // The running system's drive `letter` ("C"); kAbsent when not LiveWindows.
  [[nodiscard]] virtual DriveKind Drive(char letter) const = 0;

  // The mount point of the file system holding `path` when its type is one
  // Windows writes (NTFS, FAT, exFAT, or a FUSE block device such as
  // ntfs-3g); nullopt otherwise and on Windows.
  [[nodiscard]] virtual std::optional<std::string> WindowsVolumeOf(
      const std::string& path) const = 0;
};

// The running system's target files (Linux or Windows, as built).
[[nodiscard]] const TargetFiles& SystemTargetFiles();

}  // namespace varnlink::platform
