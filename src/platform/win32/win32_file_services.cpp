#include "platform/win32/win32_file_services.h"

#include <windows.h>

#include <algorithm>
#include <climits>

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

WIN32_FILE_ATTRIBUTE_DATA AttributeData(const std::string& path, const char* what) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ApiPath(path).c_str(), GetFileExInfoStandard, &data)) {
    throw WindowsError(GetLastError(), path, what);
  }
  return data;
}

// A FILETIME (UTC) as local time broken down, by the system's own conversion.
std::optional<LocalTime> ToLocal(const FILETIME& utc) {
  FILETIME local{};
  SYSTEMTIME parts{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts)) {
    return std::nullopt;
  }
  return LocalTime{parts.wYear, parts.wMonth, parts.wDay, parts.wHour, parts.wMinute, parts.wSecond};
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

std::uint64_t Win32FileServices::FileSize(const std::string& path) const {
  const WIN32_FILE_ATTRIBUTE_DATA data = AttributeData(path, "cannot read the file's size");
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::uint32_t Win32FileServices::FileAttributes(const std::string& path) const {
  return AuditAttributes(AttributeData(path, "cannot read the attributes").dwFileAttributes);
}

std::optional<FileTimes> Win32FileServices::TimesOf(const std::string& path) const {
  // Attribute-read access is all GetFileTime needs; it neither blocks on a
  // file opened exclusively for writing nor touches the access time.
  // FILE_FLAG_BACKUP_SEMANTICS lets the same call take a folder.
  const FileHandle file(CreateFileW(ApiPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return std::nullopt;
  FILETIME created{};
  FILETIME accessed{};
  FILETIME written{};
  if (!GetFileTime(file.get(), &created, &accessed, &written)) return std::nullopt;
  const auto c = ToLocal(created);
  const auto a = ToLocal(accessed);
  const auto w = ToLocal(written);
  if (!c || !a || !w) return std::nullopt;
  return FileTimes{*c, *a, *w};
}

std::vector<std::uint8_t> Win32FileServices::ReadFileStart(const std::string& path,
                                                            std::size_t max_bytes) const {
  const std::wstring api_path = ApiPath(path);
  const DWORD attributes = GetFileAttributesW(api_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    throw WindowsError(GetLastError(), path, "cannot open the file");
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw Error(path + ": cannot open the file: it is a folder");
  }
  bool pin_access_time = false;
  const FileHandle file(OpenForReading(api_path, pin_access_time));
  if (!file.valid()) throw WindowsError(GetLastError(), path, "cannot open the file");
  // A name such as "con" or a pipe reaches a device, not a file: reading it
  // could block or consume someone else's data.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    throw Error(path + ": cannot open the file: it is a device, not a file");
  }
  if (pin_access_time) {
    FILETIME keep{0xFFFFFFFFu, 0xFFFFFFFFu};
    SetFileTime(file.get(), nullptr, &keep, nullptr);  // best effort only
  }

  LARGE_INTEGER size{};
  std::vector<std::uint8_t> bytes;
  if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
    bytes.reserve(static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(size.QuadPart), max_bytes)));
  }
  constexpr std::size_t kChunk = 64 * 1024;
  std::vector<std::uint8_t> chunk(kChunk);
  while (bytes.size() < max_bytes) {
    const auto want = static_cast<DWORD>(std::min(kChunk, max_bytes - bytes.size()));
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk.data(), want, &got, nullptr)) {
      throw WindowsError(GetLastError(), path, "cannot read the file");
    }
    if (got == 0) break;  // end of file
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
  }
  return bytes;
}

std::string Win32FileServices::AnsiToUtf8(std::string_view bytes) const {
  if (bytes.empty()) return {};
  // Report texts are at most a shortcut's size; anything beyond INT_MAX would
  // not fit the conversion call and is cut rather than refused.
  const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
  const UINT code_page = GetACP();
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

}  // namespace varnlink::platform
