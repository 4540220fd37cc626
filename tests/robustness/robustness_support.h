#pragma once

// Shared by the robustness tests: the real Linux services with the window
// model or the audit run around them, run over real files in a scratch folder.

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "window/clipboard.h"
#include "platform/linux/linux_file_services.h"
#include "platform/linux/linux_folder_listing.h"
#include "window/printer.h"
#include "audit/audit_run.h"
#include "tests/support/audit_fixture.h"
#include "tests/support/fake_file_services.h"
#include "window/main_window_model.h"

namespace varnlink::test_support {

// A printer and a clipboard that take nothing.
class NoOutput : public window::Printer, public window::Clipboard {
 public:
  int PrintText(const std::string&) override { return 0; }
  void Clear() override {}
  void SetText(const std::string&) override {}
};

// The real folder listing, with a hook that runs right after a chosen folder
// was listed: the moment between the walk's listing and the audit.
class HookedFolderListing : public platform::LinuxFolderListing {
 public:
  [[nodiscard]] std::vector<platform::FolderEntry> List(const std::string& folder) const override {
    auto entries = platform::LinuxFolderListing::List(folder);
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
  RealWindow() : model({files, folders, messages, output, output}) {
    model.search_subfolders.ticked = true;
    model.warn_duplicate_targets.ticked = true;
    model.warn_duplicate_arguments.ticked = true;
  }
  // Runs the audit of `folder` (without a trailing separator) and its
  // sub-folders; returns the error that ended the run, or "".
  std::string AuditFolder(const std::string& folder) {
    model.chosen_folder = folder;
    try {
      model.Audit();
      model.AnnounceOutcome();
    } catch (const std::exception& error) {
      return error.what();
    }
    return {};
  }

  platform::LinuxFileServices files;
  HookedFolderListing folders;
  RecordingMessageDialog messages;
  NoOutput output;
  window::MainWindowModel model;
};

// What auditing shortcuts as a selection gave: the report and the error that
// ended the run ("" when none).
struct SelectionAudit {
  std::string report;
  std::string error;
};

// Audits `paths` in one run, in this order, as a selection with both
// duplicate checks on. Each path is given as a name below its first
// separator, so it is audited exactly as written.
inline SelectionAudit AuditSelection(const platform::FileServices& files,
                                     window::MessageDialog& messages,
                                     const std::vector<std::string>& paths) {
  audit::AuditRequest request;
  request.options.warn_duplicate_targets = request.options.warn_duplicate_arguments = true;
  for (const std::string& path : paths) {
    const std::size_t cut = path.find(files.PathSeparator()) + 1;
    request.folder = path.substr(0, cut);
    request.selected_names.push_back(path.substr(cut));
  }
  const platform::LinuxFolderListing folders;
  CollectingSink sink;
  sink.messages = &messages;
  SelectionAudit result;
  try {
    for (const std::string& message :
         audit::AuditRun(files, folders).Run(request, sink).closing_messages) {
      messages.Show(message);
    }
  } catch (const std::exception& error) {
    result.error = error.what();
  }
  result.report = sink.report;
  return result;
}

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
