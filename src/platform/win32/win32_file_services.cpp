#include "platform/win32/win32_file_services.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/error.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace varnlink::platform {
namespace {

// Closes a file handle on every path out of a scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  [[nodiscard]] HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

constexpr const char* kCannotOpen = "cannot open the shortcut";

bool MeansNotFound(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

[[noreturn]] void ThrowCannotOpen(DWORD code, const std::string& path) {
  if (MeansNotFound(code)) throw Error(path + ": " + kCannotOpen + ": it does not exist", true);
  throw WindowsError(code, path, kCannotOpen);
}

FileTime FromFileTime(const FILETIME& time) {
  return {(static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime};
}

// Opens for reading. Write-attribute access is asked for as well, only so the
// last-access time can be pinned (SetFileTime with all bits set means "do not
// update"); where that access is refused, plain reading is enough.
HANDLE OpenForReading(const std::wstring& api_path, bool& can_pin_access_time) {
  HANDLE handle = CreateFileW(api_path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, kShareAll,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  can_pin_access_time = handle != INVALID_HANDLE_VALUE;
  if (handle == INVALID_HANDLE_VALUE) {
    handle = CreateFileW(api_path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  }
  return handle;
}

}  // namespace

std::uint32_t AuditAttributes(unsigned long windows_attributes) {
  std::uint32_t bits = static_cast<std::uint32_t>(windows_attributes) &
                       (kReadOnly | kHidden | kSystem | kFolder | kArchive);
  if ((windows_attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      (windows_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    bits |= kSystem;
  }
  return bits;
}

FileStatus Win32FileServices::StatusOf(const std::string& path) const {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ApiPath(path).c_str(), GetFileExInfoStandard, &data)) {
    ThrowCannotOpen(GetLastError(), path);
  }
  FileStatus status;
  status.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  status.attributes = AuditAttributes(data.dwFileAttributes);
  status.times = FileTimes{FromFileTime(data.ftCreationTime), FromFileTime(data.ftLastAccessTime),
                           FromFileTime(data.ftLastWriteTime)};
  return status;
}

std::optional<LocalTime> Win32FileServices::LocalTimeOf(FileTime time) const {
  const FILETIME utc{static_cast<DWORD>(time.ticks), static_cast<DWORD>(time.ticks >> 32)};
  FILETIME local{};
  SYSTEMTIME parts{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts)) {
    return std::nullopt;
  }
  return LocalTime{parts.wYear, parts.wMonth, parts.wDay, parts.wHour, parts.wMinute, parts.wSecond};
}

namespace {

// Hands the first `max_bytes` of the regular file at `path` to `take`, a
// chunk at a time.
template <typename Take>
void ReadChunks(const std::string& path, std::uint64_t max_bytes, std::size_t chunk_size,
                Take take) {
  const std::wstring api_path = ApiPath(path);
  const DWORD attributes = GetFileAttributesW(api_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowCannotOpen(GetLastError(), path);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw Error(path + ": " + kCannotOpen + ": it is a folder, not a regular file");
  }
  bool pin_access_time = false;
  const FileHandle file(OpenForReading(api_path, pin_access_time));
  if (!file.valid()) ThrowCannotOpen(GetLastError(), path);
  // A name such as "con" or a pipe reaches a device, not a file: reading it
  // could block or consume someone else's data.
  if (const DWORD type = GetFileType(file.get()); type != FILE_TYPE_DISK) {
    throw Error(path + ": " + kCannotOpen + ": it is " +
                (type == FILE_TYPE_PIPE ? "a FIFO" : "a device") + ", not a regular file");
  }
  if (pin_access_time) {
    FILETIME keep{0xFFFFFFFFu, 0xFFFFFFFFu};
    SetFileTime(file.get(), nullptr, &keep, nullptr);  // best effort only
  }
  LARGE_INTEGER size{};
  const std::uint64_t expected =
      GetFileSizeEx(file.get(), &size) && size.QuadPart > 0
          ? std::min<std::uint64_t>(static_cast<std::uint64_t>(size.QuadPart), max_bytes)
          : 0;
  std::vector<std::uint8_t> chunk(chunk_size);
  std::uint64_t done = 0;
  bool first = true;
  while (done < max_bytes) {
    const auto want = static_cast<DWORD>(std::min<std::uint64_t>(chunk_size, max_bytes - done));
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk.data(), want, &got, nullptr)) {
      throw WindowsError(GetLastError(), path, "cannot read the shortcut");
    }
    if (got == 0) break;  // end of file
    take(std::span<const std::uint8_t>(chunk.data(), got), first ? expected : 0);
    first = false;
    done += got;
  }
}

}  // namespace

std::vector<std::uint8_t> Win32FileServices::ReadFileStart(const std::string& path,
                                                            std::size_t max_bytes) const {
  std::vector<std::uint8_t> bytes;
  ReadChunks(path, max_bytes, 64 * 1024,
             [&](std::span<const std::uint8_t> chunk, std::uint64_t expected) {
               if (expected > 0) bytes.reserve(static_cast<std::size_t>(expected));
               bytes.insert(bytes.end(), chunk.begin(), chunk.end());
             });
  return bytes;
}

Sha256Digest Win32FileServices::Sha256OfFile(const std::string& path) const {
  Sha256Hasher hasher;
  ReadChunks(path, UINT64_MAX, 1024 * 1024,
             [&](std::span<const std::uint8_t> chunk, std::uint64_t) { hasher.Update(chunk); });
  return hasher.Finish();
}

namespace {

// The system's ANSI code page, by MultiByteToWideChar.
class SystemCodePageDecoder final : public text::TextDecoder {
 public:
  [[nodiscard]] unsigned CodePage() const override { return code_page_; }
  [[nodiscard]] std::string AnsiToUtf8(std::string_view bytes) const override;

 private:
  UINT code_page_ = GetACP();
};

std::string SystemCodePageDecoder::AnsiToUtf8(std::string_view bytes) const {
  if (bytes.empty()) return {};
  // Report texts are at most a shortcut's size; anything beyond INT_MAX would
  // not fit the conversion call and is cut rather than refused.
  const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
  const UINT code_page = code_page_;
  const int wide_length = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (wide_length <= 0) {
    // No conversion for this code page: keep plain ASCII, mark the rest.
    std::string ascii(bytes.substr(0, static_cast<std::size_t>(length)));
    for (char& c : ascii) {
      if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
    return ascii;
  }
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, wide.data(), wide_length);
  return WideToUtf8(wide);
}

}  // namespace

const text::TextDecoder& Win32FileServices::AnsiDecoder() const {
  static const SystemCodePageDecoder decoder;
  return decoder;
}

}  // namespace varnlink::platform
