#include "platform/win32/win32_file_mover.h"

#include <windows.h>

#include <array>

#include "platform/error.h"
#include "platform/file_services.h"
#include "platform/file_time.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace varnlink::platform {
namespace {

// Closes a handle when it leaves scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  [[nodiscard]] HANDLE get() const { return handle_; }
  [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Nanoseconds since 1601 do not fit 64 bits; since 1970 they do (to 2262).
std::int64_t Nanoseconds(const FILETIME& time) {
  const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  return (static_cast<std::int64_t>(ticks) - static_cast<std::int64_t>(kTicksTo1970)) * 100;
}

FILETIME FileTimeOf(std::int64_t ns) {
  const auto ticks =
      static_cast<std::uint64_t>(ns / 100 + static_cast<std::int64_t>(kTicksTo1970));
  return {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

bool IsAbsent(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

HANDLE OpenForReading(const std::string& path) {
  const HANDLE file = CreateFileW(ApiPath(path).c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw WindowsError(GetLastError(), path, "cannot open");
  // Reading leaves the access time as it was.
  FILETIME keep{0xFFFFFFFF, 0xFFFFFFFF};
  SetFileTime(file, nullptr, &keep, nullptr);
  return file;
}

void Flush(HANDLE file, const std::string& path) {
  if (!FlushFileBuffers(file)) throw WindowsError(GetLastError(), path, "cannot flush to disk");
}

}  // namespace

std::string Win32FileMover::AbsolutePath(const std::string& path) const {
  const std::wstring wide = Utf8ToWide(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) throw WindowsError(GetLastError(), path, "cannot find the full path");
  std::wstring full(needed, L'\0');
  const DWORD got = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (got == 0 || got >= needed) throw WindowsError(GetLastError(), path, "cannot find the full path");
  full.resize(got);
  if (full.size() > 3 && full.back() == L'\\') full.pop_back();
  return WideToUtf8(full);
}

std::optional<FileStamp> Win32FileMover::StampOf(const std::string& path) const {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ApiPath(path).c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = GetLastError();
    if (IsAbsent(error)) return std::nullopt;
    throw WindowsError(error, path, "cannot read the file's status");
  }
  if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    throw Error(path + ": it is not a regular file");
  }
  FileStamp stamp;
  stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  stamp.attributes = data.dwFileAttributes;
  stamp.modified_ns = Nanoseconds(data.ftLastWriteTime);
  stamp.accessed_ns = Nanoseconds(data.ftLastAccessTime);
  stamp.created_ns = Nanoseconds(data.ftCreationTime);
  return stamp;
}

Sha256Digest Win32FileMover::Sha256Of(const std::string& path) const {
  const Handle file(OpenForReading(path));
  Sha256Hasher hasher;
  std::array<std::uint8_t, 64 * 1024> buffer{};
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      throw WindowsError(GetLastError(), path, "cannot read");
    }
    if (got == 0) break;
    hasher.Update(std::span(buffer.data(), got));
  }
  return hasher.Finish();
}

std::vector<std::string> Win32FileMover::Names(const std::string& folder) const {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const HANDLE find = FindFirstFileW(ApiPath(folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (IsAbsent(error)) return names;
    throw WindowsError(error, folder, "cannot list the folder");
  }
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(WideToUtf8(name));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

std::optional<std::string> Win32FileMover::ReadText(const std::string& path) const {
  Handle file(CreateFileW(ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (IsAbsent(error)) return std::nullopt;
    throw WindowsError(error, path, "cannot open");
  }
  std::string text;
  std::array<char, 64 * 1024> buffer{};
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      throw WindowsError(GetLastError(), path, "cannot read");
    }
    if (got == 0) return text;
    text.append(buffer.data(), got);
  }
}

void Win32FileMover::MakeFolders(const std::string& folder) const {
  const DWORD attributes = GetFileAttributesW(ApiPath(folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      throw Error(folder + ": cannot create the folder: a file has its name");
    }
    return;
  }
  const std::string above = FolderOf(folder);
  if (above != folder && above.size() > 2) MakeFolders(above);
  if (!CreateDirectoryW(ApiPath(folder).c_str(), nullptr) &&
      GetLastError() != ERROR_ALREADY_EXISTS) {
    throw WindowsError(GetLastError(), folder, "cannot create the folder");
  }
}

void Win32FileMover::AppendDurably(const std::string& path, const std::string& text) const {
  Handle file(CreateFileW(ApiPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw WindowsError(GetLastError(), path, "cannot open to append");
  DWORD written = 0;
  if (!text.empty() &&
      (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
       written != text.size())) {
    throw WindowsError(GetLastError(), path, "cannot write");
  }
  Flush(file.get(), path);
}

bool Win32FileMover::Rename(const std::string& from, const std::string& to) const {
  // Without MOVEFILE_COPY_ALLOWED a move to another volume fails instead of
  // copying unseen; MOVEFILE_WRITE_THROUGH returns once the move is on disk.
  if (MoveFileExW(ApiPath(from).c_str(), ApiPath(to).c_str(), MOVEFILE_WRITE_THROUGH)) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_NOT_SAME_DEVICE) return false;
  throw WindowsError(error, from, "cannot move to " + to);
}

void Win32FileMover::CopyDurably(const std::string& from, const std::string& to) const {
  BOOL cancel = FALSE;
  if (!CopyFileExW(ApiPath(from).c_str(), ApiPath(to).c_str(), nullptr, nullptr, &cancel,
                   COPY_FILE_FAIL_IF_EXISTS)) {
    throw WindowsError(GetLastError(), to, "cannot copy " + from + " to it");
  }
  // A read-only copy opens for writing only once that attribute is off.
  const DWORD attributes = GetFileAttributesW(ApiPath(to).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesW(ApiPath(to).c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  Handle file(CreateFileW(ApiPath(to).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) throw WindowsError(GetLastError(), to, "cannot open to flush it");
  Flush(file.get(), to);
}

void Win32FileMover::SetStamp(const std::string& path, const FileStamp& stamp) const {
  const std::wstring api = ApiPath(path);
  {
    Handle file(CreateFileW(api.c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) throw WindowsError(GetLastError(), path, "cannot open to set its times");
    const FILETIME accessed = FileTimeOf(stamp.accessed_ns);
    const FILETIME modified = FileTimeOf(stamp.modified_ns);
    FILETIME created{};
    if (stamp.created_ns) created = FileTimeOf(*stamp.created_ns);
    if (!SetFileTime(file.get(), stamp.created_ns ? &created : nullptr, &accessed, &modified)) {
      throw WindowsError(GetLastError(), path, "cannot set the times");
    }
  }
  const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD attributes = stamp.attributes & settable;
  if (!SetFileAttributesW(api.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL)) {
    throw WindowsError(GetLastError(), path, "cannot set the attributes");
  }
}

void Win32FileMover::Remove(const std::string& path) const {
  const std::wstring api = ApiPath(path);
  const DWORD attributes = GetFileAttributesW(api.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesW(api.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  if (!DeleteFileW(api.c_str())) {
    const DWORD error = GetLastError();
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(api.c_str(), attributes);
    throw WindowsError(error, path, "cannot remove");
  }
}

const FileMover& SystemFileMover() {
  static const Win32FileMover mover;
  return mover;
}

}  // namespace varnlink::platform
