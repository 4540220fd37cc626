#include "platform/linux/linux_file_services.h"

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

namespace varnlink::platform {
namespace {

constexpr long kMsdosSuperMagic = 0x4d44;
constexpr const char* kCannotOpen = "cannot open the shortcut";

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileTime FromTimestamp(const struct statx_timestamp& t) {
  // Times before 1601 cannot be told in a FILETIME; they show as its start.
  const std::int64_t seconds =
      t.tv_sec + static_cast<std::int64_t>(kTicksTo1970 / kTicksPerSecond);
  if (seconds < 0) return {};
  return {static_cast<std::uint64_t>(seconds) * kTicksPerSecond + t.tv_nsec / 100};
}

// What a file that is not a regular file is, for the message that refuses it.
const char* KindOf(unsigned mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}

[[noreturn]] void ThrowNotRegular(const std::string& path, unsigned mode) {
  const std::string kind = KindOf(mode);
  throw Error(path + ": " + kCannotOpen + ": it is " + kind + ", not a regular file");
}

[[noreturn]] void ThrowCannotOpen(int error, const std::string& path) {
  if (error == ENOENT) throw Error(path + ": " + kCannotOpen + ": it does not exist", true);
  throw OsError(error, path, kCannotOpen);
}

// Opens a regular file read-only. O_NONBLOCK keeps a FIFO swapped in after the
// caller's check from blocking the open, and the descriptor is checked again
// before anything is read. O_NOATIME needs ownership (or root); where it is
// refused the file is opened without it.
int OpenRegularFile(int folder, const char* name, const std::string& path) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = ::openat(folder, name, flags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::openat(folder, name, flags);
  if (fd < 0) ThrowCannotOpen(errno, path);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    ThrowNotRegular(path, st.st_mode);
  }
  return fd;
}

// DOS attribute bits of a file on a FAT file system.
std::optional<std::uint32_t> FatAttributes(int folder, const char* name) {
  const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOATIME);
  if (fd < 0) return std::nullopt;
  std::uint32_t attributes = 0;
  const int rc = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes);
  ::close(fd);
  if (rc != 0) return std::nullopt;
  return attributes & 0x3F;
}

}  // namespace

std::uint32_t LinuxAttributes(unsigned mode, bool is_symlink_to_folder, const std::string& name) {
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

bool LinuxFileServices::OnFatFileSystem(const std::string& path, dev_t device) const {
  const auto known = fat_devices_.find(device);
  if (known != fat_devices_.end()) return known->second;
  struct statfs fs {};
  const bool fat = ::statfs(path.c_str(), &fs) == 0 && fs.f_type == kMsdosSuperMagic;
  fat_devices_.emplace(device, fat);
  return fat;
}

FileStatus LinuxFileServices::StatusOf(const std::string& path) const {
  remembered_.reset();
  struct statx sx {};
  const Lookup lookup = LookupOf(path);
  if (::statx(lookup.folder, lookup.name, 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    ThrowCannotOpen(errno, path);
  }
  remembered_ = Remembered{path, sx.stx_mode, sx.stx_size};
  FileStatus status;
  status.size = sx.stx_size;
  if (S_ISREG(sx.stx_mode) &&
      OnFatFileSystem(path, makedev(sx.stx_dev_major, sx.stx_dev_minor))) {
    if (const auto fat = FatAttributes(lookup.folder, lookup.name)) status.attributes = *fat;
  }
  if (status.attributes == 0)
    status.attributes = LinuxAttributes(sx.stx_mode, false, BaseName(path));
  // Where the file system keeps no birth time, the earlier of the status
  // change and the modification is the best estimate of the creation.
  const bool born = (sx.stx_mask & STATX_BTIME) != 0;
  const struct statx_timestamp created =
      born ? sx.stx_btime
           : (sx.stx_ctime.tv_sec < sx.stx_mtime.tv_sec ? sx.stx_ctime : sx.stx_mtime);
  status.times = FileTimes{FromTimestamp(created), FromTimestamp(sx.stx_atime),
                           FromTimestamp(sx.stx_mtime)};
  return status;
}

std::vector<std::uint8_t> LinuxFileServices::ReadFileStart(const std::string& path,
                                                           std::size_t max_bytes) const {
  // Refuse anything but a regular file before opening it: opening some
  // devices has effects of their own.
  const Lookup lookup = LookupOf(path);
  Remembered status;
  if (remembered_ && remembered_->path == path) {
    status = *remembered_;
  } else {
    struct stat st {};
    if (::fstatat(lookup.folder, lookup.name, &st, 0) != 0) ThrowCannotOpen(errno, path);
    status = {path, st.st_mode, static_cast<std::uint64_t>(st.st_size)};
  }
  remembered_.reset();
  if (!S_ISREG(status.mode)) ThrowNotRegular(path, status.mode);
  const int fd = OpenRegularFile(lookup.folder, lookup.name, path);
  std::vector<std::uint8_t> bytes(
      static_cast<std::size_t>(std::min<std::uint64_t>(status.size, max_bytes)));
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

Sha256Digest LinuxFileServices::Sha256OfFile(const std::string& path) const {
  remembered_.reset();
  const Lookup lookup = LookupOf(path);
  struct stat st {};
  if (::fstatat(lookup.folder, lookup.name, &st, 0) != 0) ThrowCannotOpen(errno, path);
  if (!S_ISREG(st.st_mode)) ThrowNotRegular(path, st.st_mode);
  const int fd = OpenRegularFile(lookup.folder, lookup.name, path);
  constexpr std::size_t kChunk = 1024 * 1024;
  std::vector<std::uint8_t> chunk(kChunk);
  Sha256Hasher hasher;
  for (;;) {
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      throw OsError(error, path, "cannot read the shortcut");
    }
    if (n == 0) break;
    hasher.Update(std::span(chunk).first(static_cast<std::size_t>(n)));
  }
  ::close(fd);
  return hasher.Finish();
}

LinuxFileServices::OpenFolder::~OpenFolder() {
  if (fd_ >= 0) ::close(fd_);
}

int LinuxFileServices::OpenFolder::Descriptor(std::string_view folder) {
  if (fd_ >= 0 && path_ == folder) return fd_;
  if (fd_ >= 0) ::close(fd_);
  path_.assign(folder);
  fd_ = ::open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  return fd_;
}

LinuxFileServices::Lookup LinuxFileServices::LookupOf(const std::string& path) const {
  const std::size_t slash = path.rfind('/');
  if (!keep_folder_open_ || slash == std::string::npos || slash + 1 == path.size()) {
    return {AT_FDCWD, path.c_str()};
  }
  const int folder = folder_.Descriptor(std::string_view(path).substr(0, slash + 1));
  if (folder < 0) return {AT_FDCWD, path.c_str()};
  return {folder, path.c_str() + slash + 1};
}

std::optional<LocalTime> LinuxFileServices::LocalTimeOf(FileTime time) const {
  const auto t =
      static_cast<std::time_t>(static_cast<std::int64_t>(time.ticks / kTicksPerSecond) -
                               static_cast<std::int64_t>(kTicksTo1970 / kTicksPerSecond));
  std::tm tm{};
  if (::localtime_r(&t, &tm) == nullptr) return std::nullopt;
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace varnlink::platform
