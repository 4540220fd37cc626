#pragma once

// Real files for the Win32 tests, made and changed through the wide API so
// the tests do not go through the code they check.

#include <windows.h>

#include <string>
#include <utility>

#include "platform/win32/wide_text.h"

namespace varnlink::win32_test {

// Creates (or truncates) `path` with `content`; false when Windows refuses.
inline bool MakeFile(const std::string& path, const std::string& content = "shortcut bytes") {
  const HANDLE file = CreateFileW(platform::ApiPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                            nullptr) != 0;
  CloseHandle(file);
  return ok && written == content.size();
}

inline bool MakeFolder(const std::string& path) {
  return CreateDirectoryW(platform::ApiPath(path).c_str(), nullptr) != 0;
}

inline bool SetAttributes(const std::string& path, DWORD attributes) {
  return SetFileAttributesW(platform::ApiPath(path).c_str(), attributes) != 0;
}

// A UTC moment as a FILETIME.
inline FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME parts{};
  parts.wYear = year;
  parts.wMonth = month;
  parts.wDay = day;
  parts.wHour = hour;
  parts.wMinute = minute;
  parts.wSecond = second;
  FILETIME time{};
  SystemTimeToFileTime(&parts, &time);
  return time;
}

inline bool SetTimes(const std::string& path, const FILETIME* created, const FILETIME* accessed,
                     const FILETIME* written) {
  const HANDLE file = CreateFileW(platform::ApiPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(file, created, accessed, written) != 0;
  CloseHandle(file);
  return ok;
}

// Deletes a file by its raw path when the test ends. The scratch folder's
// own clean-up (std::filesystem::remove_all) cannot delete names with a
// trailing dot or blank and, in MinGW's library, loops on them for ever.
struct RemovedAtEnd {
  std::string path;
  RemovedAtEnd(const RemovedAtEnd&) = delete;
  RemovedAtEnd(RemovedAtEnd&& other) noexcept : path(std::move(other.path)) { other.path.clear(); }
  explicit RemovedAtEnd(std::string file) : path(std::move(file)) {}
  ~RemovedAtEnd() {
    if (!path.empty()) DeleteFileW(platform::ApiPath(path).c_str());
  }
};

// Wine answers to a function only it exports.
inline bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace varnlink::win32_test
