#include "platform/linux/linux_target_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/linux/mount_table.h"

namespace varnlink::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// File systems Windows writes; "fuseblk" is how ntfs-3g and exfat-fuse show.
bool IsWindowsFileSystem(const std::string& type) {
  static constexpr std::array<std::string_view, 6> kTypes = {"ntfs",  "ntfs3", "vfat",
                                                             "msdos", "exfat", "fuseblk"};
  for (const std::string_view known : kTypes) {
    if (type == known) return true;
  }
  return false;
}

// Whether `point` is `path` or a folder above it.
bool Holds(const std::string& point, const std::string& path) {
  if (point == "/") return true;
  return path.starts_with(point) && (path.size() == point.size() || path[point.size()] == '/');
}

std::string ReadLink(const std::string& path, std::size_t size) {
  std::string text(size + 1, '\0');
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < text.size()) {
      text.resize(static_cast<std::size_t>(n));
      return text;
    }
    text.resize(text.size() * 2);  // the link changed since its status was read
  }
}

}  // namespace

LinuxTargetFiles::LinuxTargetFiles(std::string mounts_file)
    : mounts_file_(std::move(mounts_file)) {}

TargetProbe LinuxTargetFiles::Look(const std::string& path) const {
  // Whatever stops the look (no such name, a file in the middle of the
  // path, a folder that may not be searched) leaves nothing to be found.
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    TargetProbe nothing;
    nothing.absent = errno == ENOENT || errno == ENOTDIR;
    return nothing;
  }
  if (S_ISLNK(st.st_mode)) {
    return {TargetProbe::Kind::kLink, ReadLink(path, static_cast<std::size_t>(st.st_size))};
  }
  return {S_ISDIR(st.st_mode) ? TargetProbe::Kind::kFolder : TargetProbe::Kind::kFile, {}};
}

std::vector<std::string> LinuxTargetFiles::Names(const std::string& folder) const {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "/" : folder.c_str()));
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  return names;
}

std::string LinuxTargetFiles::FullPath(const std::string& path) const {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::optional<std::string> LinuxTargetFiles::WindowsVolumeOf(const std::string& path) const {
  const std::string full = FullPath(path);
  const std::vector<Mount> mounts = ReadMounts(mounts_file_);
  const Mount* nearest = nullptr;
  for (const Mount& mount : mounts) {
    // ">=": a later mount at the same point hides the earlier one.
    if (Holds(mount.point, full) &&
        (nearest == nullptr || mount.point.size() >= nearest->point.size())) {
      nearest = &mount;
    }
  }
  if (nearest == nullptr || !IsWindowsFileSystem(nearest->type)) return std::nullopt;
  return nearest->point;
}

const TargetFiles& SystemTargetFiles() {
  static const LinuxTargetFiles files;
  return files;
}

}  // namespace varnlink::platform
