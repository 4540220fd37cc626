#include "platform/win32/win32_folder_listing.h"

#include <windows.h>

#include <cctype>
#include <vector>

#include "platform/error.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_file_services.h"

namespace varnlink::platform {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Closes a find handle on every path out of a scope.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  [[nodiscard]] HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Failures of FindFirstFileW that mean "there is no folder here": such a
// path lists as empty. Anything else (access denied, not ready, a network
// failure) is an error the user must see.
bool MeansNoFolder(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
         code == ERROR_DIRECTORY || code == ERROR_INVALID_NAME || code == ERROR_BAD_PATHNAME ||
         code == ERROR_NO_MORE_FILES;
}

FolderEntry EntryOf(const WIN32_FIND_DATAW& found) {
  const DWORD attributes = found.dwFileAttributes;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  EntryKind kind = EntryKind::kRegularFile;
  if (folder) kind = link ? EntryKind::kOther : EntryKind::kFolder;
  return FolderEntry{WideToUtf8(found.cFileName), AuditAttributes(attributes), kind};
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || !IsSeparator(folder.back())) folder += '\\';
  return folder;
}

// Drops the "\\?\" or "\\?\UNC\" prefix so the shapes below can be tested.
std::string WithoutRawPrefix(const std::string& path) {
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

}  // namespace

bool IsRootFolder(const std::string& folder) {
  std::string p = WithoutRawPrefix(folder);
  while (p.size() > 1 && IsSeparator(p.back()) && IsSeparator(p[p.size() - 2])) p.pop_back();
  if (p.size() == 1 && IsSeparator(p[0])) return true;                // "\": current drive
  if (p.size() == 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    return true;                                                      // "C:"
  }
  if (p.size() == 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' &&
      IsSeparator(p[2])) {
    return true;                                                      // "C:\"
  }
  if (p.size() > 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {      // "\\server\share\"
    if (IsSeparator(p.back())) p.pop_back();
    int separators = 0;
    for (std::size_t i = 2; i < p.size(); ++i) {
      if (IsSeparator(p[i])) ++separators;
    }
    return separators == 1;
  }
  return false;
}

std::vector<FolderEntry> Win32FolderListing::List(const std::string& folder) const {
  const std::string with_separator = WithSeparator(folder);
  const bool root = IsRootFolder(with_separator);
  std::vector<FolderEntry> entries;
  std::vector<FolderEntry> dots;

  WIN32_FIND_DATAW found{};
  const std::wstring pattern = ApiPath(with_separator) + L"*";
  const FindHandle find(FindFirstFileW(pattern.c_str(), &found));
  if (find.get() == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (!MeansNoFolder(code)) throw WindowsError(code, folder, "cannot list the folder");
  } else {
    do {
      FolderEntry entry = EntryOf(found);
      if (entry.name == "." || entry.name == "..") {
        if (!root) dots.push_back(std::move(entry));
        continue;
      }
      if ((entry.attributes & (kHidden | kSystem)) != 0) continue;
      entries.push_back(std::move(entry));
    } while (FindNextFileW(find.get(), &found));
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) throw WindowsError(code, folder, "cannot list the folder");
  }

  // Some file systems (network shares, FAT roots of subst drives) leave the
  // dot entries out; every non-root folder shows them all the same.
  if (!root && (dots.size() != 2) && IsFolder(with_separator)) {
    dots.clear();
    for (const char* name : {".", ".."}) {
      dots.push_back(FolderEntry{name, kFolder, EntryKind::kFolder});
    }
  }
  entries.insert(entries.begin(), dots.begin(), dots.end());
  return entries;
}

bool Win32FolderListing::IsFolder(const std::string& path) const {
  const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> Win32FolderListing::Drives() const {
  const DWORD needed = GetLogicalDriveStringsW(0, nullptr);
  if (needed == 0) throw WindowsError(GetLastError(), "drives", "cannot list the drives");
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  const DWORD got = GetLogicalDriveStringsW(needed, buffer.data());
  if (got == 0 || got > needed) {
    throw WindowsError(GetLastError(), "drives", "cannot list the drives");
  }
  // An empty removable drive must not bring up the system's "insert a disk" box.
  DWORD previous = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  std::vector<std::string> drives;
  for (const wchar_t* root = buffer.data(); *root != L'\0'; root += wcslen(root) + 1) {
    std::string text = WideToUtf8(std::wstring_view(root, 2));  // "C:"
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    wchar_t label[MAX_PATH + 1] = {};
    if (GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
        label[0] != L'\0') {
      text += " [" + WideToUtf8(label) + "]";
    }
    drives.push_back(std::move(text));
  }
  SetThreadErrorMode(previous, nullptr);
  return drives;
}

std::string Win32FolderListing::DriveRoot(const std::string& drive) const {
  if (drive.size() >= 2 && std::isalpha(static_cast<unsigned char>(drive[0])) && drive[1] == ':') {
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])))) +
           ":\\";
  }
  return WithSeparator(drive);
}

std::string Win32FolderListing::CurrentFolder() const {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) {
    throw WindowsError(GetLastError(), "current folder", "cannot read the current folder");
  }
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  const DWORD got = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (got == 0 || got >= buffer.size()) {
    throw WindowsError(GetLastError(), "current folder", "cannot read the current folder");
  }
  return WideToUtf8(std::wstring_view(buffer.data(), got));
}

}  // namespace varnlink::platform
