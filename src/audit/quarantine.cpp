#include "audit/quarantine.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <map>
#include <set>

#include "platform/sha256.h"

namespace varnlink::audit {
namespace {

constexpr const char* kCopySuffix = ".varnlink-copy";

// A JSON string of the file system's bytes: quotes, backslashes and control
// characters escaped, every other byte as it is, so that a name that is not
// valid UTF-8 comes back as it was.
void AppendQuoted(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
}

std::string ManifestLine(const std::string& original, const std::string& place,
                         const platform::FileStamp& stamp, const platform::Sha256Digest& sha256) {
  std::string line = "{\"manifest\":" + std::to_string(Quarantine::kManifestVersion);
  line += ",\"original\":";
  AppendQuoted(line, original);
  line += ",\"quarantined\":";
  AppendQuoted(line, place);
  line += ",\"size\":" + std::to_string(stamp.size);
  line += ",\"sha256\":\"" + platform::HexOf(sha256) + "\"";
  line += ",\"modified_ns\":" + std::to_string(stamp.modified_ns);
  line += ",\"accessed_ns\":" + std::to_string(stamp.accessed_ns);
  line += ",\"created_ns\":" + (stamp.created_ns ? std::to_string(*stamp.created_ns) : "null");
  line += ",\"attributes\":" + std::to_string(stamp.attributes);
  line += ",\"mode\":" + std::to_string(stamp.mode);
  return line + "}\n";
}

std::string RestoredLine(const std::string& place) {
  std::string line = "{\"manifest\":" + std::to_string(Quarantine::kManifestVersion);
  line += ",\"restored\":";
  AppendQuoted(line, place);
  return line + "}\n";
}

// One manifest line read back: each value as text (a string decoded, a number
// as its digits), nullopt for null. Only the flat objects written above.
using Fields = std::map<std::string, std::optional<std::string>>;

bool ReadString(const std::string& line, std::size_t& at, std::string& out) {
  if (at >= line.size() || line[at] != '"') return false;
  for (++at; at < line.size(); ++at) {
    const char c = line[at];
    if (c == '"') {
      ++at;
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++at >= line.size()) return false;
    const char e = line[at];
    if (e == 'u') {
      if (at + 4 >= line.size()) return false;
      const unsigned long code = std::stoul(line.substr(at + 1, 4), nullptr, 16);
      if (code >= 0x20) return false;  // only control characters are written so
      out += static_cast<char>(code);
      at += 4;
    } else if (e == '"' || e == '\\' || e == '/') {
      out += e;
    } else {
      return false;
    }
  }
  return false;
}

std::optional<Fields> ParseLine(const std::string& line) {
  Fields fields;
  std::size_t at = 0;
  if (line.empty() || line[at++] != '{') return std::nullopt;
  while (at < line.size() && line[at] != '}') {
    std::string key;
    if (!ReadString(line, at, key) || at >= line.size() || line[at++] != ':') return std::nullopt;
    if (at < line.size() && line[at] == '"') {
      std::string value;
      if (!ReadString(line, at, value)) return std::nullopt;
      fields[key] = value;
    } else if (line.compare(at, 4, "null") == 0) {
      fields[key] = std::nullopt;
      at += 4;
    } else {
      const std::size_t start = at;
      if (at < line.size() && line[at] == '-') ++at;
      while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) ++at;
      if (at == start) return std::nullopt;
      fields[key] = line.substr(start, at - start);
    }
    if (at < line.size() && line[at] == ',') ++at;
  }
  if (at + 1 != line.size()) return std::nullopt;
  return fields;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string Join(const std::string& folder, const std::string& name, char separator) {
  return !folder.empty() && folder.back() == separator ? folder + name : folder + separator + name;
}

std::string FolderOf(const std::string& path, char separator) {
  const std::size_t cut = path.find_last_of(separator);
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut == 0 ? 1 : cut);
}

// The version of each readable line; refuses a manifest of a newer one.
void RefuseNewer(const std::string& manifest, const std::string& text) {
  for (const std::string& line : LinesOf(text)) {
    const auto fields = ParseLine(line);
    if (!fields) continue;
    const auto version = fields->find("manifest");
    if (version == fields->end() || !version->second) continue;
    if (std::stoll(*version->second) > Quarantine::kManifestVersion) {
      throw QuarantineRefused(manifest + ": written by a newer version of Varnlink (manifest version " +
                              *version->second + "; this one reads up to " +
                              std::to_string(Quarantine::kManifestVersion) + ")");
    }
  }
}

// The manifest ends in a line end before anything is appended, so that a
// line cut off by a crash never swallows the next one.
std::string LineEndIfMissing(const std::optional<std::string>& text) {
  return text && !text->empty() && text->back() != '\n' ? "\n" : "";
}

// A copy through a temporary name beside `to`, as `from`'s bytes were
// hashed, with the stamp, then renamed into place: `to` holds all of it or
// nothing. Returns false when the copy's bytes differ.
bool CopyInto(const platform::FileMover& mover, const std::string& from, const std::string& to,
              const platform::FileStamp& stamp, const platform::Sha256Digest& sha256) {
  const std::string temporary = to + kCopySuffix;
  if (mover.StampOf(temporary)) mover.Remove(temporary);  // ours, from a run cut off
  mover.CopyDurably(from, temporary);
  if (mover.Sha256Of(temporary) != sha256) {
    mover.Remove(temporary);
    return false;
  }
  mover.SetStamp(temporary, stamp);
  if (!mover.Rename(temporary, to)) {
    throw platform::Error(temporary + ": cannot rename to " + to + " in the same folder");
  }
  return true;
}

}  // namespace

Quarantine::Quarantine(const platform::FileMover& mover, const std::string& folder,
                       const std::vector<std::string>& audited, bool dry_run)
    : mover_(mover) {
  const char separator = mover.Separator();
  try {
    folder_ = mover.AbsolutePath(Join(folder, ".", separator));
  } catch (const std::exception& e) {
    throw QuarantineRefused(std::string(e.what()));
  }
  for (const std::string& path : audited) {
    const std::string full = mover.AbsolutePath(Join(path, ".", separator));
    const bool inside = folder_ == full ||
                        (folder_.starts_with(full) &&
                         (full.back() == separator || folder_[full.size()] == separator));
    if (inside) {
      throw QuarantineRefused(folder + ": the quarantine folder lies inside " + path +
                              ", which is audited; choose a folder outside it");
    }
  }
  const std::string manifest = Join(folder_, kManifestName, separator);
  std::optional<std::string> text;
  try {
    text = mover.ReadText(manifest);
    for (const std::string& name : mover.Names(folder_)) {
      if (name.empty() || name.size() > 9 ||
          !std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        continue;
      }
      first_number_ = std::max<std::size_t>(first_number_, std::stoul(name) + 1);
    }
  } catch (const QuarantineRefused&) {
    throw;
  } catch (const std::exception& e) {
    throw QuarantineRefused(std::string(e.what()));
  }
  if (text) RefuseNewer(manifest, *text);
  if (dry_run) return;
  try {
    mover.MakeFolders(folder_);
    mover.AppendDurably(manifest, LineEndIfMissing(text));
  } catch (const std::exception& e) {
    throw QuarantineRefused(std::string(e.what()) + " (the quarantine folder must be writable)");
  }
}

std::string Quarantine::PlaceFor(std::size_t path_index, const std::string& relative) const {
  const char separator = mover_.Separator();
  return Join(Join(folder_, std::to_string(first_number_ + path_index), separator), relative,
              separator);
}

bool Quarantine::Move(const std::string& original, const std::string& place) {
  const char separator = mover_.Separator();
  const std::string from = mover_.AbsolutePath(original);
  std::optional<platform::FileStamp> stamp;
  try {
    stamp = mover_.StampOf(from);
  } catch (const std::system_error&) {
    throw;
  } catch (const platform::Error&) {
    return false;  // not a regular file: a link, say, is left where it is
  }
  if (!stamp) return false;
  const platform::Sha256Digest sha256 = mover_.Sha256Of(from);
  mover_.MakeFolders(FolderOf(place, separator));
  // The line is on the disk before anything moves.
  mover_.AppendDurably(Join(folder_, kManifestName, separator),
                       ManifestLine(from, place, *stamp, sha256));
  if (mover_.Rename(from, place)) {
    mover_.SetStamp(place, *stamp);  // reading it may have touched its access time
    return true;
  }
  if (!CopyInto(mover_, from, place, *stamp, sha256)) {
    throw platform::Error(original + ": its copy in " + FolderOf(place, separator) +
                          " does not hold the same bytes; it is left in place");
  }
  mover_.Remove(from);
  return true;
}

RestoreResult RestoreQuarantine(const platform::FileMover& mover, const std::string& folder) {
  const char separator = mover.Separator();
  const std::string full = mover.AbsolutePath(Join(folder, ".", separator));
  const std::string manifest = Join(full, Quarantine::kManifestName, separator);
  const std::optional<std::string> text = mover.ReadText(manifest);
  if (!text) {
    throw QuarantineRefused(folder + ": holds no " + Quarantine::kManifestName +
                            ": it is not a quarantine folder");
  }
  RefuseNewer(manifest, *text);

  struct Moved {
    std::string original;
    std::string place;
    platform::FileStamp stamp;
    std::string sha256;
  };
  std::vector<Moved> moved;
  std::set<std::string> restored;
  RestoreResult result;
  const std::vector<std::string> lines = LinesOf(*text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    const auto fields = ParseLine(lines[i]);
    const auto value = [&](const char* key) -> std::optional<std::string> {
      if (!fields) return std::nullopt;
      const auto found = fields->find(key);
      return found == fields->end() ? std::nullopt : found->second;
    };
    if (const auto place = value("restored")) {
      restored.insert(*place);
      continue;
    }
    const auto original = value("original");
    const auto place = value("quarantined");
    const auto sha256 = value("sha256");
    const bool whole = original && place && sha256 && value("size") && value("modified_ns") &&
                       value("accessed_ns") && value("attributes") && value("mode");
    if (!whole) {
      // A last line cut off by a crash was never followed by its move.
      const bool cut_off = i + 1 == lines.size() && text->back() != '\n';
      if (!cut_off) {
        result.left.push_back(manifest + ": line " + std::to_string(i + 1) +
                              " cannot be read; passed over");
      }
      continue;
    }
    platform::FileStamp stamp;
    stamp.size = std::stoull(*value("size"));
    stamp.modified_ns = std::stoll(*value("modified_ns"));
    stamp.accessed_ns = std::stoll(*value("accessed_ns"));
    if (const auto created = value("created_ns")) stamp.created_ns = std::stoll(*created);
    stamp.attributes = static_cast<std::uint32_t>(std::stoul(*value("attributes")));
    stamp.mode = static_cast<std::uint32_t>(std::stoul(*value("mode")));
    moved.push_back({*original, *place, stamp, *sha256});
  }

  // A run cut off after a shortcut's line but before its move leaves it in
  // place; a later run into the same folder moves it under a line of its
  // own, the same bytes. That later line brings it back.
  std::map<std::pair<std::string, std::string>, std::size_t> last_line;  // original, sha256
  for (std::size_t i = 0; i < moved.size(); ++i) last_line[{moved[i].original, moved[i].sha256}] = i;

  mover.AppendDurably(manifest, LineEndIfMissing(text));
  const auto mark = [&](const Moved& entry, bool listed = true) {
    // Copies of ours that a cut-off move or restore left behind.
    for (const std::string& left_over : {entry.place + kCopySuffix, entry.original + kCopySuffix}) {
      if (mover.StampOf(left_over)) mover.Remove(left_over);
    }
    mover.AppendDurably(manifest, RestoredLine(entry.place));
    restored.insert(entry.place);
    if (listed) result.restored.push_back(entry.original);
  };
  for (std::size_t i = 0; i < moved.size(); ++i) {
    const Moved& entry = moved[i];
    if (restored.contains(entry.place)) continue;
    const auto in_quarantine = mover.StampOf(entry.place);
    const auto in_place = mover.StampOf(entry.original);
    if (in_place) {
      // A move cut off before it removed the original, or never begun.
      if (platform::HexOf(mover.Sha256Of(entry.original)) == entry.sha256) {
        mover.SetStamp(entry.original, entry.stamp);
        if (in_quarantine) mover.Remove(entry.place);
        mark(entry);
      } else if (in_quarantine) {
        result.left.push_back(entry.original + ": another file is in its place; left in quarantine at " +
                              entry.place);
      } else {
        mark(entry);  // never moved, and changed since
      }
      continue;
    }
    if (!in_quarantine) {
      if (last_line[{entry.original, entry.sha256}] > i) {
        mark(entry, false);
        continue;
      }
      result.left.push_back(entry.original + ": neither in its place nor in quarantine at " +
                            entry.place);
      continue;
    }
    mover.MakeFolders(FolderOf(entry.original, separator));
    if (!mover.Rename(entry.place, entry.original)) {
      if (!CopyInto(mover, entry.place, entry.original, entry.stamp, mover.Sha256Of(entry.place))) {
        throw platform::Error(entry.place + ": its copy at " + entry.original +
                              " does not hold the same bytes; it is left in quarantine");
      }
      mover.Remove(entry.place);
    }
    mover.SetStamp(entry.original, entry.stamp);
    mark(entry);
  }
  return result;
}

}  // namespace varnlink::audit
