#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/file_mover.h"

namespace varnlink::audit {

// A quarantine that cannot be used as asked, before anything moves: the
// folder lies inside an audited path, cannot be written, or holds a manifest
// of a newer version.
class QuarantineRefused : public platform::Error {
 public:
  using platform::Error::Error;
};

// A quarantine folder: shortcuts moved aside into numbered folders below it
// (one per audited path, "<folder>/<n>/<path below the audited one>"), and
// its manifest, "manifest.jsonl", one JSON object a line, only ever appended
// to. Before a shortcut moves, a line with its original path, its place in
// quarantine, size, SHA-256, times and attributes is on the disk; a move
// within a file system is a rename; across file systems a copy that is on
// the disk and hashes the same, with the original's times and attributes,
// and only then the original is removed. Whatever stops it, each shortcut
// is in its original place or in quarantine with its manifest line.
// It never replaces a file.
class Quarantine {
 public:
  static constexpr int kManifestVersion = 1;
  static constexpr const char* kManifestName = "manifest.jsonl";

  // Refuses (QuarantineRefused) a folder that is, or lies inside, one of
  // `audited` or that holds a manifest of a newer version; unless
  // `dry_run`, creates the folder and its manifest, and refuses a folder
  // that cannot be written.
  Quarantine(const platform::FileMover& mover, const std::string& folder,
             const std::vector<std::string>& audited, bool dry_run);

  // Where a shortcut found as `relative` below the audited path numbered
  // `path_index` (0-based, in the order given) goes: below the numbered
  // folder, the first free number of the folder plus `path_index`.
  [[nodiscard]] std::string PlaceFor(std::size_t path_index, const std::string& relative) const;

  // Moves the shortcut file at `original` to `place` and returns true;
  // false, with nothing done, when it is not a regular file. Throws, naming
  // the file and the cause, when a step fails.
  bool Move(const std::string& original, const std::string& place);

  [[nodiscard]] const std::string& Folder() const { return folder_; }

 private:
  const platform::FileMover& mover_;
  std::string folder_;  // absolute
  std::size_t first_number_ = 1;
};

// What a restore did.
struct RestoreResult {
  std::vector<std::string> restored;  // original paths, back in place
  // Shortcuts left in quarantine: "<original>: <why>" (another file holds
  // its place, or it is neither in quarantine nor in its place).
  std::vector<std::string> left;
};

// Brings every shortcut of the quarantine at `folder` that its manifest
// does not mark restored back to its original path, creating the folders
// it needs, with its times and attributes, and appends a line that marks it
// restored. A place that holds other bytes is left alone (the shortcut stays
// in quarantine); one that holds the manifest's bytes already (a move cut
// off after its copy) is marked restored and the quarantined copy dropped.
// Can be repeated and resumed. Throws QuarantineRefused for a folder without
// a manifest or one of a newer version, and naming the file for a failure.
[[nodiscard]] RestoreResult RestoreQuarantine(const platform::FileMover& mover,
                                              const std::string& folder);

}  // namespace varnlink::audit
