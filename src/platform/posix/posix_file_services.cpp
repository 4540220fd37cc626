#include "platform/posix/posix_file_services.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/error.h"
#include "platform/windows1252.h"

namespace varnlink::platform {
namespace {

constexpr long kMsdosSuperMagic = 0x4d44;

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct stat StatOrThrow(const std::string& path, const char* what) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw OsError(errno, path, what);
  return st;
}

LocalTime ToLocal(std::int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (::localtime_r(&t, &tm) == nullptr) return {};
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// Opens a regular file read-only. O_NONBLOCK keeps a FIFO swapped in after the
// caller's check from blocking the open, and the descriptor is checked again
// before anything is read. O_NOATIME needs ownership (or root); where it is
// refused the file is opened without it.
int OpenRegularFile(const std::string& path) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = ::open(path.c_str(), flags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), flags);
  if (fd < 0) throw OsError(errno, path, "cannot open the shortcut");
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : ENOENT;
    ::close(fd);
    throw OsError(error, path, "cannot open the shortcut: not a regular file");
  }
  return fd;
}

// DOS attribute bits of a file on a FAT file system.
std::optional<std::uint32_t> FatAttributes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOATIME);
  if (fd < 0) return std::nullopt;
  std::uint32_t attributes = 0;
  const int rc = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes);
  ::close(fd);
  if (rc != 0) return std::nullopt;
  return attributes & 0x3F;
}

}  // namespace

std::uint32_t PosixAttributes(unsigned mode, bool is_symlink_to_folder, const std::string& name) {
  if (is_symlink_to_folder) return kSystem;
  std::uint32_t attributes = 0;
  if (S_ISDIR(mode)) {
    attributes |= kFolder;
  } else if (S_ISREG(mode)) {
    attributes |= kArchive;
  } else {
    attributes |= kSystem;
  }
  if (!(mode & S_IWUSR)) attributes |= kReadOnly;
  if (!name.empty() && name[0] == '.') attributes |= kHidden;
  return attributes;
}

PosixFileServices::Status PosixFileServices::StatusOf(const std::string& path,
                                                      const char* what) const {
  if (remembered_ && remembered_path_ == path) return *remembered_;
  const struct stat st = StatOrThrow(path, what);
  return {static_cast<std::uint64_t>(st.st_size), st.st_mode, st.st_dev};
}

bool PosixFileServices::OnFatFileSystem(const std::string& path, dev_t device) const {
  const auto known = fat_devices_.find(device);
  if (known != fat_devices_.end()) return known->second;
  struct statfs fs {};
  const bool fat = ::statfs(path.c_str(), &fs) == 0 && fs.f_type == kMsdosSuperMagic;
  fat_devices_.emplace(device, fat);
  return fat;
}

std::uint64_t PosixFileServices::FileSize(const std::string& path) const {
  return StatusOf(path, "cannot read the file's size").size;
}

std::uint32_t PosixFileServices::FileAttributes(const std::string& path) const {
  const Status status = StatusOf(path, "cannot read the file's attributes");
  if (S_ISREG(status.mode) && OnFatFileSystem(path, status.device)) {
    if (const auto fat = FatAttributes(path)) return *fat;
  }
  return PosixAttributes(status.mode, false, BaseName(path));
}

std::optional<FileTimes> PosixFileServices::TimesOf(const std::string& path) const {
  remembered_.reset();
  struct statx sx {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    return std::nullopt;
  }
  remembered_path_ = path;
  remembered_ = Status{sx.stx_size, sx.stx_mode, makedev(sx.stx_dev_major, sx.stx_dev_minor)};
  // Where the file system keeps no birth time, the earlier of the status
  // change and the modification is the best estimate of the creation.
  std::int64_t created = 0;
  if (sx.stx_mask & STATX_BTIME) {
    created = sx.stx_btime.tv_sec;
  } else {
    created = std::min<std::int64_t>(sx.stx_ctime.tv_sec, sx.stx_mtime.tv_sec);
  }
  return FileTimes{ToLocal(created), ToLocal(sx.stx_atime.tv_sec), ToLocal(sx.stx_mtime.tv_sec)};
}

std::vector<std::uint8_t> PosixFileServices::ReadFileStart(const std::string& path,
                                                           std::size_t max_bytes) const {
  // Refuse anything but a regular file before opening it: opening some
  // devices has effects of its own.
  const Status status = StatusOf(path, "cannot open the shortcut");
  remembered_.reset();
  if (!S_ISREG(status.mode)) {
    throw OsError(S_ISDIR(status.mode) ? EISDIR : ENOENT, path,
                  "cannot open the shortcut: not a regular file");
  }
  const int fd = OpenRegularFile(path);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(status.size, max_bytes)));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      throw OsError(error, path, "cannot read the shortcut");
    }
    if (n == 0) break;  // the file shrank while it was read
    filled += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(filled);
  return bytes;
}

std::string PosixFileServices::AnsiToUtf8(std::string_view bytes) const {
  return Windows1252ToUtf8(bytes);
}

}  // namespace varnlink::platform
