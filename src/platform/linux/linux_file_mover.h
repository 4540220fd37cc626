#pragma once

#include "platform/file_mover.h"

namespace varnlink::platform {

// The quarantine's file operations on Linux: renameat2 without replacing,
// copies through a descriptor flushed with fsync, the folder's entry flushed
// through the folder's own descriptor, times set to the nanosecond.
class LinuxFileMover : public FileMover {
 public:
  [[nodiscard]] char Separator() const override { return '/'; }
  [[nodiscard]] std::string AbsolutePath(const std::string& path) const override;
  [[nodiscard]] std::optional<FileStamp> StampOf(const std::string& path) const override;
  [[nodiscard]] Sha256Digest Sha256Of(const std::string& path) const override;
  [[nodiscard]] std::vector<std::string> Names(const std::string& folder) const override;
  [[nodiscard]] std::optional<std::string> ReadText(const std::string& path) const override;
  void MakeFolders(const std::string& folder) const override;
  void AppendDurably(const std::string& path, const std::string& text) const override;
  [[nodiscard]] bool Rename(const std::string& from, const std::string& to) const override;
  void CopyDurably(const std::string& from, const std::string& to) const override;
  void SetStamp(const std::string& path, const FileStamp& stamp) const override;
  void Remove(const std::string& path) const override;
};

}  // namespace varnlink::platform
