#include "platform/linux/linux_folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "platform/error.h"
#include "platform/file_services.h"
#include "platform/linux/mount_table.h"
#include "text/name_case.h"

namespace varnlink::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Kernel file systems that hold no user files: their mount points count as
// system, so they are neither listed nor offered as drives.
bool IsVirtualFileSystem(const std::string& type) {
  static const std::set<std::string> kVirtual = {
      "proc",      "sysfs",       "cgroup",    "cgroup2",  "devpts",     "devtmpfs",
      "debugfs",   "tracefs",     "securityfs", "pstore",  "bpf",        "configfs",
      "fusectl",   "mqueue",      "hugetlbfs", "autofs",   "binfmt_misc", "efivarfs",
      "rpc_pipefs", "nsfs",       "selinuxfs", "nfsd",     "binder",     "ramfs",
  };
  return kVirtual.contains(type);
}

// The type of the file system mounted last at `point` (later mounts hide
// earlier ones), if any.
std::optional<std::string> MountTypeAt(const std::vector<Mount>& mounts,
                                       const std::string& point) {
  std::optional<std::string> type;
  for (const Mount& mount : mounts) {
    if (mount.point == point) type = mount.type;
  }
  return type;
}

std::string WithSeparator(std::string path) {
  if (path.empty() || path.back() != '/') path.push_back('/');
  return path;
}

bool IsRootFolder(const struct stat& folder) {
  struct stat root {};
  return ::stat("/", &root) == 0 && root.st_dev == folder.st_dev && root.st_ino == folder.st_ino;
}

std::uint32_t AttributesOf(const struct stat& st) {
  return S_ISDIR(st.st_mode) ? kFolder : kArchive;
}

// "." and ".." first, then the names in the order Windows lists an NTFS
// folder, so a tree gives the same walk here as on Windows, run after run
// (the directory's own order follows its hash table).
void SortAsWindowsLists(std::vector<FolderEntry>& entries) {
  const auto dots = std::partition(entries.begin(), entries.end(), [](const FolderEntry& e) {
    return e.name == "." || e.name == "..";
  });
  std::vector<std::pair<std::u16string, FolderEntry>> keyed;
  keyed.reserve(static_cast<std::size_t>(entries.end() - dots));
  for (auto it = dots; it != entries.end(); ++it)
    keyed.emplace_back(text::UpperCaseName(it->name), std::move(*it));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  auto out = dots;
  for (auto& [key, entry] : keyed) *out++ = std::move(entry);
}

// Lists one open folder. Mount points are rare, so the mount table is read
// only when an entry turns out to be one.
class FolderReader {
 public:
  FolderReader(std::string folder, const std::string& mounts_file)
      : folder_(std::move(folder)), mounts_file_(mounts_file) {}

  std::vector<FolderEntry> Read() {
    const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      // Listing a path that is not a folder, or no longer exists, yields nothing.
      if (errno == ENOENT || errno == ENOTDIR) return {};
      throw OsError(errno, folder_, "cannot list folder");
    }
    DirHandle dir(::fdopendir(fd));
    if (!dir) {
      const int error = errno;
      ::close(fd);
      throw OsError(error, folder_, "cannot list folder");
    }
    struct stat folder_stat {};
    if (::fstat(fd, &folder_stat) != 0) throw OsError(errno, folder_, "cannot list folder");
    const bool at_root = IsRootFolder(folder_stat);

    std::vector<FolderEntry> entries;
    for (;;) {
      errno = 0;
      const dirent* record = ::readdir(dir.get());
      if (record == nullptr) {
        if (errno != 0) throw OsError(errno, folder_, "cannot list folder");
        break;
      }
      const std::string name = record->d_name;
      if (name == "." || name == "..") {
        if (!at_root) entries.push_back({name, kFolder, EntryKind::kFolder});
        continue;
      }
      if (name.front() == '.') continue;  // hidden
      if (record->d_type == DT_REG) {
        // The common case needs no status call: the kind is in the record.
        entries.push_back({name, kArchive, EntryKind::kRegularFile});
        continue;
      }
      if (auto entry = Examine(fd, name, folder_stat)) entries.push_back(std::move(*entry));
    }
    SortAsWindowsLists(entries);
    return entries;
  }

 private:
  // The entry, or nullopt when it is system or vanished since it was listed.
  std::optional<FolderEntry> Examine(int fd, const std::string& name,
                                     const struct stat& folder_stat) {
    struct stat st {};
    if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) return std::nullopt;
      throw OsError(errno, folder_ + name, "cannot read attributes");
    }
    if (S_ISLNK(st.st_mode)) {
      // A link to a regular file is that file; a link to a folder is system,
      // so a walk cannot run in circles; a dangling link is system too.
      if (::fstatat(fd, name.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
      return FolderEntry{name, AttributesOf(st), EntryKind::kRegularFile};
    }
    if (S_ISREG(st.st_mode)) return FolderEntry{name, AttributesOf(st), EntryKind::kRegularFile};
    if (!S_ISDIR(st.st_mode)) return std::nullopt;  // device, FIFO, socket
    if (st.st_dev != folder_stat.st_dev && IsVirtualMountPoint(name)) return std::nullopt;
    return FolderEntry{name, AttributesOf(st), EntryKind::kFolder};
  }

  bool IsVirtualMountPoint(const std::string& name) {
    if (!mounts_) mounts_ = ReadMounts(mounts_file_);
    char resolved[PATH_MAX];
    const std::string path = folder_ + name;
    const std::string point = ::realpath(path.c_str(), resolved) != nullptr ? resolved : path;
    const auto type = MountTypeAt(*mounts_, point);
    return type && IsVirtualFileSystem(*type);
  }

  std::string folder_;
  const std::string& mounts_file_;
  std::optional<std::vector<Mount>> mounts_;
};

}  // namespace

LinuxFolderListing::LinuxFolderListing(std::string mounts_file)
    : mounts_file_(std::move(mounts_file)) {}

std::vector<FolderEntry> LinuxFolderListing::List(const std::string& folder) const {
  return FolderReader(WithSeparator(folder), mounts_file_).Read();
}

bool LinuxFolderListing::IsFolder(const std::string& path) const {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> LinuxFolderListing::Drives() const {
  std::vector<std::string> drives = {"/"};
  for (const Mount& mount : ReadMounts(mounts_file_)) {
    // RAM-backed scratch mounts (/run, /dev/shm) are not places a user keeps
    // shortcuts; they stay reachable as folders below "/".
    if (IsVirtualFileSystem(mount.type) || mount.type == "tmpfs") continue;
    if (mount.point.empty() || mount.point.front() != '/') continue;
    bool known = false;
    for (const std::string& drive : drives) known = known || drive == mount.point;
    if (!known && IsFolder(mount.point)) drives.push_back(mount.point);
  }
  return drives;
}

std::string LinuxFolderListing::DriveRoot(const std::string& drive) const {
  return WithSeparator(drive);
}

std::string LinuxFolderListing::CurrentFolder() const {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) throw OsError(errno, ".", "cannot read the current folder");
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace varnlink::platform
