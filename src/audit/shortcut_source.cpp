#include "audit/shortcut_source.h"

#include "lnk/shortcut_decoder.h"

namespace varnlink::audit {

platform::FileFacts ShortcutFile::Facts() const { return platform::GatherFileFacts(path_, files_); }

std::span<const std::uint8_t> ShortcutFile::Bytes() {
  if (!read_) {
    bytes_ = files_.ReadFileStart(path_, lnk::kMaxShortcutBytes);
    read_ = true;
  }
  return bytes_;
}

platform::Sha256Digest ShortcutFile::Sha256() {
  const std::span<const std::uint8_t> bytes = Bytes();
  if (bytes.size() < lnk::kMaxShortcutBytes) return platform::Sha256(bytes);
  return files_.Sha256OfFile(path_);
}

}  // namespace varnlink::audit
