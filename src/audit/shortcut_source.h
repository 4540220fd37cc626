#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_facts.h"
#include "platform/file_services.h"
#include "platform/sha256.h"

namespace varnlink::audit {

// Where the run takes a shortcut from: its location (what the report's
// LOCATION line shows and every message names), the facts of the file that
// holds it, and its bytes. A shortcut file of its own is one source; a
// shortcut kept inside another file (a jump list's stream) is another kind.
class ShortcutSource {
 public:
  virtual ~ShortcutSource() = default;
  [[nodiscard]] virtual const std::string& Location() const = 0;
  // Both throw naming the location when it cannot be read.
  [[nodiscard]] virtual platform::FileFacts Facts() const = 0;
  [[nodiscard]] virtual std::span<const std::uint8_t> Bytes() = 0;
  // The SHA-256 of the shortcut's bytes: all of them, also those past what
  // Bytes() holds. Throws naming the location when they cannot be read.
  [[nodiscard]] virtual platform::Sha256Digest Sha256() { return platform::Sha256(Bytes()); }
};

// A .lnk file: its own facts, and its first kMaxShortcutBytes bytes, read
// once when first asked for. Its hash is of the whole file: a file longer
// than that is read through again in pieces.
class ShortcutFile final : public ShortcutSource {
 public:
  ShortcutFile(std::string path, const platform::FileServices& files)
      : path_(std::move(path)), files_(files) {}
  [[nodiscard]] const std::string& Location() const override { return path_; }
  [[nodiscard]] platform::FileFacts Facts() const override;
  [[nodiscard]] std::span<const std::uint8_t> Bytes() override;
  [[nodiscard]] platform::Sha256Digest Sha256() override;

 private:
  std::string path_;
  const platform::FileServices& files_;
  std::vector<std::uint8_t> bytes_;
  bool read_ = false;
};

// A shortcut kept inside another file (a jump list's stream): its location
// names the file and the stream ("...\x.automaticDestinations-ms#1f"), its
// facts are the file's with the shortcut's own name and length, and its bytes
// are the stream's, which must outlive it.
class ShortcutInStream final : public ShortcutSource {
 public:
  ShortcutInStream(platform::FileFacts facts, std::span<const std::uint8_t> bytes)
      : facts_(std::move(facts)), bytes_(bytes) {}
  [[nodiscard]] const std::string& Location() const override { return facts_.path; }
  [[nodiscard]] platform::FileFacts Facts() const override { return facts_; }
  [[nodiscard]] std::span<const std::uint8_t> Bytes() override { return bytes_; }

 private:
  platform::FileFacts facts_;
  std::span<const std::uint8_t> bytes_;
};

}  // namespace varnlink::audit
