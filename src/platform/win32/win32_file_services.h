#pragma once

#include "platform/file_services.h"

namespace varnlink::platform {

// File facts and bytes through the wide-character Windows API, so every file
// name works. Times come with the size and attributes from the directory
// entry, without opening the file; reading bytes asks the system to leave the last-access time as it was.
// Single-byte text is taken in the system's ANSI code page (GetACP). It does
// not list folders (Win32FolderListing does).
class Win32FileServices final : public FileServices {
 public:
  [[nodiscard]] FileStatus StatusOf(const std::string& path) const override;
  [[nodiscard]] std::vector<std::uint8_t> ReadFileStart(const std::string& path,
                                                        std::size_t max_bytes) const override;
  [[nodiscard]] Sha256Digest Sha256OfFile(const std::string& path) const override;
  // By FileTimeToLocalFileTime, as Windows' own dialogs show file times.
  [[nodiscard]] std::optional<LocalTime> LocalTimeOf(FileTime time) const override;
  [[nodiscard]] char PathSeparator() const override { return '\\'; }
  [[nodiscard]] const text::TextDecoder& AnsiDecoder() const override;
  [[nodiscard]] std::unique_ptr<FileServices> ForAnotherThread() const override {
    return std::make_unique<Win32FileServices>();
  }
};

// The attribute bits Windows reports, cut to those the audit knows
// (Attribute). A folder that is a junction or symbolic link counts as system,
// as the POSIX build counts a link to a folder, so no walk can loop through it.
[[nodiscard]] std::uint32_t AuditAttributes(unsigned long windows_attributes);

}  // namespace varnlink::platform
