#pragma once

#include "platform/target_files.h"

namespace varnlink::platform {

// The missing-target check's view of the running Windows system: its
// environment, its drives (GetDriveTypeW) and its file system, asked
// directly with long-path support. No call brings up the system's "insert a
// disk" box: an empty drive simply fails (SEM_FAILCRITICALERRORS). A 32-bit
// build on 64-bit Windows sees the system as a 64-bit program does: without
// the System32 redirection, and with the 64-bit Program Files.
class Win32TargetFiles final : public TargetFiles {
 public:
  Win32TargetFiles();

  [[nodiscard]] bool LiveWindows() const override { return true; }
  [[nodiscard]] char Separator() const override { return '\\'; }
  // Something Windows will not let us look at (access denied, in use) is there.
  [[nodiscard]] TargetProbe Look(const std::string& path) const override;
  // The system matches names itself, so the check never lists a folder here.
  [[nodiscard]] std::vector<std::string> Names(const std::string&) const override { return {}; }
  // By GetFullPathNameW.
  [[nodiscard]] std::string FullPath(const std::string& path) const override;
  [[nodiscard]] std::optional<std::string> Variable(const std::string& name) const override;
  // A removable or optical drive whose medium cannot be read is kNoMedium.
  [[nodiscard]] DriveKind Drive(char letter) const override;
  [[nodiscard]] std::optional<std::string> WindowsVolumeOf(const std::string&) const override {
    return std::nullopt;
  }

 private:
  bool wow64_ = false;  // a 32-bit process on 64-bit Windows
};

}  // namespace varnlink::platform
