#include "platform/win32/win32_target_files.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide_text.h"

namespace varnlink::platform {
namespace {

// For its lifetime, a drive without a medium fails at once instead of asking
// the user to insert one.
class NoCriticalErrorBoxes {
 public:
  NoCriticalErrorBoxes() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
  ~NoCriticalErrorBoxes() { SetThreadErrorMode(previous_, nullptr); }
  NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
  NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;

 private:
  DWORD previous_ = 0;
};

}  // namespace

TargetProbe Win32TargetFiles::Look(const std::string& path) const {
  const NoCriticalErrorBoxes quiet;
  const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return {(attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TargetProbe::Kind::kFolder
                                                         : TargetProbe::Kind::kFile,
            {}};
  }
  switch (GetLastError()) {
    case ERROR_NOT_READY: return {TargetProbe::Kind::kNotReady, {}};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return {TargetProbe::Kind::kFile, {}};
    default: return {};
  }
}

std::string Win32TargetFiles::FullPath(const std::string& path) const {
  const std::wstring wide = Utf8ToWide(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::vector<wchar_t> full(needed);
  const DWORD got = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (got == 0 || got >= needed) return path;
  std::wstring text(full.data(), got);
  // "C:\" keeps its separator; any other folder loses a trailing one.
  if (text.size() > 3 && text.back() == L'\\') text.pop_back();
  return WideToUtf8(text);
}

std::optional<std::string> Win32TargetFiles::Variable(const std::string& name) const {
  const std::wstring wide = Utf8ToWide(name);
  std::vector<wchar_t> value(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD got = GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (got == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (got < value.size()) return WideToUtf8(std::wstring_view(value.data(), got));
    value.resize(got);
  }
}

DriveKind Win32TargetFiles::Drive(char letter) const {
  const NoCriticalErrorBoxes quiet;
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
  switch (GetDriveTypeW(root)) {
    case DRIVE_NO_ROOT_DIR:
    case DRIVE_UNKNOWN: return DriveKind::kAbsent;
    case DRIVE_REMOTE: return DriveKind::kNetwork;
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
      if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
        return DriveKind::kNoMedium;
      }
      return DriveKind::kLocal;
    default: return DriveKind::kLocal;
  }
}

const TargetFiles& SystemTargetFiles() {
  static const Win32TargetFiles files;
  return files;
}

}  // namespace varnlink::platform
