#pragma once

// Shared by the robustness tests: the real POSIX services with a window model
// around them, run over real files in a scratch folder.

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/posix/posix_file_services.h"
#include "platform/posix/posix_folder_listing.h"
#include "platform/printer.h"
#include "tests/support/fake_file_services.h"
#include "window/form1.h"

namespace varnlink::test_support {

class NoPrinter : public platform::Printer {
 public:
  void PrintText(const std::string&) override {}
};

class NoClipboard : public platform::Clipboard {
 public:
  void Clear() override {}
  void SetText(const std::string&) override {}
};

// The real folder listing, with a hook that runs right after a chosen folder
// was listed: the moment between the walk's listing and the audit.
class HookedFolderListing : public platform::PosixFolderListing {
 public:
  [[nodiscard]] std::vector<platform::FolderEntry> List(const std::string& folder) const override {
    auto entries = platform::PosixFolderListing::List(folder);
    if (after_listing && folder == hooked_folder) {
      // The change is made with the test's own rights, whatever the walk runs with.
      const int walking_as = ::setfsuid(static_cast<uid_t>(-1));
      if (::geteuid() == 0) ::setfsuid(0);
      after_listing();
      if (::geteuid() == 0) ::setfsuid(static_cast<uid_t>(walking_as));
    }
    return entries;
  }
  std::string hooked_folder;
  std::function<void()> after_listing;
};

// The window model over the real file system, with every duplicate check on.
struct RealWindow {
  RealWindow() : form({files, folders, messages, printer, clipboard}) {
    form.Check1.Value = 1;
    form.Check2.Value = 1;
    form.Check3.Value = 1;
    form.Option1.Value = true;
  }
  // Runs the audit of `folder` (without a trailing separator) and its
  // sub-folders; returns the error that ended the run, or "".
  std::string AuditFolder(const std::string& folder) {
    form.Label2.Caption = folder;
    try {
      form.Command1_Click();
    } catch (const std::exception& error) {
      return error.what();
    }
    return {};
  }

  platform::PosixFileServices files;
  HookedFolderListing folders;
  RecordingMessageDialog messages;
  NoPrinter printer;
  NoClipboard clipboard;
  window::Form1 form;
};

// While alive, file permissions apply to this thread even when the tests run
// as root (CI does): the file-system user becomes "nobody", which drops the
// override of read and search permissions. Active() is false when the system
// refuses the switch.
class WithoutFileOverride {
 public:
  WithoutFileOverride() {
    if (::geteuid() != 0) return;
    ::setfsuid(kNobody);
    switched_ = static_cast<uid_t>(::setfsuid(kNobody)) == kNobody;
  }
  ~WithoutFileOverride() {
    if (::geteuid() == 0) ::setfsuid(0);
  }
  WithoutFileOverride(const WithoutFileOverride&) = delete;
  WithoutFileOverride& operator=(const WithoutFileOverride&) = delete;
  [[nodiscard]] bool Active() const { return ::geteuid() != 0 || switched_; }

 private:
  static constexpr uid_t kNobody = 65534;
  bool switched_ = false;
};

// The process's peak resident memory so far, in bytes.
inline long PeakResidentBytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024L;
}

}  // namespace varnlink::test_support
