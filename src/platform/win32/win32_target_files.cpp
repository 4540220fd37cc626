#include "platform/win32/win32_target_files.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "platform/win32/wide_text.h"

namespace varnlink::platform {
namespace {

// For its lifetime, a drive without a medium fails at once instead of asking
// the user to insert one.
class NoCriticalErrorBoxes {
 public:
  NoCriticalErrorBoxes() {
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_);
  }
  ~NoCriticalErrorBoxes() { SetThreadErrorMode(previous_, nullptr); }
  NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
  NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;

 private:
  DWORD previous_ = 0;
};

}  // namespace

Win32TargetFiles::Win32TargetFiles() {
  BOOL wow64 = FALSE;
  wow64_ = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

TargetProbe Win32TargetFiles::Look(const std::string& path) const {
  const NoCriticalErrorBoxes quiet;
  // A 32-bit build on 64-bit Windows would be shown SysWOW64 for System32.
  PVOID redirection = nullptr;
  const bool unredirected = wow64_ && Wow64DisableWow64FsRedirection(&redirection);
  const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
  const DWORD error = GetLastError();
  if (unredirected) Wow64RevertWow64FsRedirection(redirection);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return {(attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TargetProbe::Kind::kFolder
                                                         : TargetProbe::Kind::kFile,
            {}};
  }
  switch (error) {
    case ERROR_NOT_READY:
      return {TargetProbe::Kind::kNotReady, {}};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return {TargetProbe::Kind::kFile, {}};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return {TargetProbe::Kind::kNothing, {}, true};
    default:
      return {};
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
  // A 32-bit build on 64-bit Windows is told the 32-bit Program Files; a
  // shortcut means the one its system's programs see.
  if (wow64_) {
    for (const auto& [own, native] : {std::pair{"ProgramFiles", "ProgramW6432"},
                                      std::pair{"CommonProgramFiles", "CommonProgramW6432"}}) {
      if (CompareStringOrdinal(Utf8ToWide(name).c_str(), -1, Utf8ToWide(own).c_str(), -1, TRUE) ==
          CSTR_EQUAL) {
        if (auto value = Variable(native)) return value;
      }
    }
  }
  const std::wstring wide = Utf8ToWide(name);
  std::vector<wchar_t> value(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD got =
        GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size()));
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
    case DRIVE_UNKNOWN:
      return DriveKind::kAbsent;
    case DRIVE_REMOTE:
      return DriveKind::kNetwork;
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
      if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
        return DriveKind::kNoMedium;
      }
      return DriveKind::kLocal;
    default:
      return DriveKind::kLocal;
  }
}

const TargetFiles& SystemTargetFiles() {
  static const Win32TargetFiles files;
  return files;
}

}  // namespace varnlink::platform
