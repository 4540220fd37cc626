#include "platform/linux/linux_file_mover.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/error.h"
#include "platform/file_services.h"
#include "platform/linux/linux_file_services.h"

namespace varnlink::platform {
namespace {

// Closes a descriptor when it leaves scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  [[nodiscard]] int get() const { return fd_; }
  // Closes now, so that a failing close (a write the disk refused late) is seen.
  [[nodiscard]] int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

struct timespec TimespecOf(std::int64_t ns) {
  std::int64_t seconds = ns / 1'000'000'000;
  std::int64_t rest = ns % 1'000'000'000;
  if (rest < 0) {
    rest += 1'000'000'000;
    --seconds;
  }
  return {static_cast<time_t>(seconds), static_cast<long>(rest)};
}

// Opens for reading without touching the access time where the system lets us.
int OpenForReading(const std::string& path) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = ::open(path.c_str(), flags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), flags);
  if (fd < 0) throw OsError(errno, path, "cannot open");
  return fd;
}

void WriteAll(int fd, const char* data, std::size_t size, const std::string& path) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw OsError(errno, path, "cannot write");
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void Sync(int fd, const std::string& path) {
  if (::fsync(fd) != 0) throw OsError(errno, path, "cannot flush to disk");
}

// A new name in a folder lasts a crash only once the folder is flushed.
void SyncFolder(const std::string& folder) {
  const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) throw OsError(errno, folder, "cannot open the folder to flush it");
  Sync(fd.get(), folder);
}

}  // namespace

std::string LinuxFileMover::AbsolutePath(const std::string& path) const {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, std::max<std::size_t>(slash, 1));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char resolved[PATH_MAX];
  if (::realpath(folder.c_str(), resolved) == nullptr) {
    // A folder not made yet: the one above it, resolved, and its name.
    if (errno != ENOENT || folder == path || folder == "." || folder == "/") {
      throw OsError(errno, folder, "cannot find the folder's full path");
    }
    const std::string above = AbsolutePath(folder);
    return name.empty() || name == "." ? above : (above == "/" ? "" : above) + "/" + name;
  }
  const std::string full = resolved;
  if (name.empty() || name == ".") return full;
  return (full == "/" ? "" : full) + "/" + name;
}

std::optional<FileStamp> LinuxFileMover::StampOf(const std::string& path) const {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return std::nullopt;
    throw OsError(errno, path, "cannot read the file's status");
  }
  if (!S_ISREG(st.st_mode)) throw Error(path + ": it is not a regular file");
  FileStamp stamp;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  stamp.attributes = kArchive;
  if (!(st.st_mode & S_IWUSR)) stamp.attributes |= kReadOnly;
  const std::size_t slash = path.find_last_of('/');
  if (path[slash == std::string::npos ? 0 : slash + 1] == '.') stamp.attributes |= kHidden;
  stamp.modified_ns = Nanoseconds(st.st_mtim);
  stamp.accessed_ns = Nanoseconds(st.st_atim);
  return stamp;
}

Sha256Digest LinuxFileMover::Sha256Of(const std::string& path) const {
  return LinuxFileServices().Sha256OfFile(path);
}

std::vector<std::string> LinuxFileMover::Names(const std::string& folder) const {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    if (errno == ENOENT) return names;
    throw OsError(errno, folder, "cannot list the folder");
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

std::optional<std::string> LinuxFileMover::ReadText(const std::string& path) const {
  const int raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (raw < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw OsError(errno, path, "cannot open");
  }
  const Descriptor fd(raw);
  std::string text;
  std::array<char, 64 * 1024> buffer{};
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw OsError(errno, path, "cannot read");
    }
    if (n == 0) return text;
    text.append(buffer.data(), static_cast<std::size_t>(n));
  }
}

void LinuxFileMover::MakeFolders(const std::string& folder) const {
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) throw Error(folder + ": cannot create the folder: a file has its name");
    return;
  }
  const std::string above = FolderOf(folder);
  if (above != folder) MakeFolders(above);
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    throw OsError(errno, folder, "cannot create the folder");
  }
  SyncFolder(above);
}

void LinuxFileMover::AppendDurably(const std::string& path, const std::string& text) const {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw OsError(errno, path, "cannot open to append");
  WriteAll(fd.get(), text.data(), text.size(), path);
  Sync(fd.get(), path);
  if (fd.Close() != 0) throw OsError(errno, path, "cannot write");
  SyncFolder(FolderOf(path));
}

bool LinuxFileMover::Rename(const std::string& from, const std::string& to) const {
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) !=
      0) {
    if (errno == EXDEV) return false;
    // File systems without the flag: a hard link never replaces either.
    if (errno != EINVAL && errno != ENOSYS) throw OsError(errno, from, "cannot move to " + to);
    if (::link(from.c_str(), to.c_str()) != 0) {
      if (errno == EXDEV) return false;
      throw OsError(errno, from, "cannot move to " + to);
    }
    SyncFolder(FolderOf(to));
    if (::unlink(from.c_str()) != 0) throw OsError(errno, from, "cannot remove after moving it");
  }
  SyncFolder(FolderOf(to));
  return true;
}

void LinuxFileMover::CopyDurably(const std::string& from, const std::string& to) const {
  const Descriptor in(OpenForReading(from));
  Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (out.get() < 0) throw OsError(errno, to, "cannot create");
  std::array<char, 64 * 1024> buffer{};
  for (;;) {
    const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw OsError(errno, from, "cannot read");
    }
    if (n == 0) break;
    WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(n), to);
  }
  Sync(out.get(), to);
  if (out.Close() != 0) throw OsError(errno, to, "cannot write");
  SyncFolder(FolderOf(to));
}

void LinuxFileMover::SetStamp(const std::string& path, const FileStamp& stamp) const {
  if (::chmod(path.c_str(), static_cast<mode_t>(stamp.mode)) != 0) {
    throw OsError(errno, path, "cannot set the permissions");
  }
  const std::array<struct timespec, 2> times = {TimespecOf(stamp.accessed_ns),
                                                TimespecOf(stamp.modified_ns)};
  if (::utimensat(AT_FDCWD, path.c_str(), times.data(), AT_SYMLINK_NOFOLLOW) != 0) {
    throw OsError(errno, path, "cannot set the times");
  }
}

void LinuxFileMover::Remove(const std::string& path) const {
  if (::unlink(path.c_str()) != 0) throw OsError(errno, path, "cannot remove");
  SyncFolder(FolderOf(path));
}

const FileMover& SystemFileMover() {
  static const LinuxFileMover mover;
  return mover;
}

}  // namespace varnlink::platform
