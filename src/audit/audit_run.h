#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audit/audit_options.h"
#include "audit/entry_sink.h"
#include "audit/folder_walk.h"
#include "checks/target_check.h"
#include "lnk/shortcut_info.h"
#include "platform/error.h"
#include "platform/file_services.h"
#include "platform/folder_listing.h"
#include "platform/target_files.h"

namespace varnlink::audit {

// The most shortcuts one run of the window (or the command line's text
// report) audits, and the most names the window's shortcut list holds: the
// window's lists count and index with 16-bit signed numbers.
inline constexpr std::size_t kMaxShortcutsPerRun = 32767;

struct AuditRequest {
  std::string folder;                       // the chosen folder
  std::vector<std::string> selected_names;  // names inside it; empty: walk the folder
  AuditOptions options;
  // A run of more shortcuts is refused before anything is audited. Without a
  // limit a walk audits each shortcut as it finds it, so a run holds no list
  // of what it will audit.
  std::optional<std::size_t> limit = kMaxShortcutsPerRun;
  // A shortcut that cannot be audited (unreadable, no shortcut, gone since
  // the walk found it) goes to the sink's Fail and the run goes on, instead
  // of ending the run.
  bool keep_going = false;
  // Duplicate warnings are told to the sink the moment they happen; either
  // way they mark the entries.
  bool announce_duplicates = true;
  // kRecord: each reported shortcut's entry carries the whole record and the
  // SHA-256 of its bytes, which costs more decoding and a pass over them: for
  // records, not for the report.
  lnk::Detail detail = lnk::Detail::kAudit;
  // Where the missing-target check looks for targets (options.check_targets).
  checks::TargetCheckSettings target_check{};
  // When not empty, what is audited instead of the folder: each path a
  // shortcut file (audited) or a folder (walked), in this order, a shortcut
  // reached twice audited once. The limit counts them all together.
  std::vector<std::string> paths{};
};

struct AuditResult {
  std::size_t count = 0;       // shortcuts reported (the target filter's survivors)
  std::size_t failed = 0;      // shortcuts handed to the sink's Fail
  std::size_t suspicious = 0;  // reported shortcuts a suspicious-shortcut check fired on
  // The folders that could not be searched, whose shortcuts the run lacks,
  // in the order the walk met them; the closing messages name them too.
  std::vector<FolderWalk::NotSearched> passed_over;
  // Walked shortcuts gone before they could be read (in a run that does not
  // keep going; one that does hands them to the sink's Fail).
  std::size_t vanished = 0;
  // Parts of jump lists that could not be read (a stream the DestList names
  // but the file lacks, a damaged compound file), passed over in a run that
  // does not keep going; one that does hands each to the sink's Fail.
  std::size_t damaged = 0;
  // What the run ends by telling, in order: the folders and shortcuts passed
  // over, the missing-target counts, the suspicious-shortcut count (each
  // when there is something to tell or the check was asked for). The caller
  // shows them once its report is out, so a window draws the report before
  // the message boxes cover it.
  std::vector<std::string> closing_messages;
};

// The refusal of a run larger than its limit, before anything is audited.
// Its message ends in advice to the window's user; `facts` is the message
// without the advice, for a front end that has more to advise.
class RunTooLarge : public platform::Error {
 public:
  RunTooLarge(const std::string& facts, const std::string& advice)
      : platform::Error(facts + " " + advice + "."), facts_(facts), advice_(advice) {}
  [[nodiscard]] const std::string& Facts() const { return facts_; }
  [[nodiscard]] const std::string& Advice() const { return advice_; }  // without a full stop

 private:
  std::string facts_;
  std::string advice_;
};

// One audit run: takes the selected shortcuts of the chosen folder, or walks
// it (and its sub-folders when the options say so), or takes the paths it is
// given (shortcut files and folders to walk), audits each shortcut in order
// and hands each entry to the sink as soon as it is made. Duplicate
// warnings are told to the sink the moment they happen (unless the request
// says otherwise). Folders that could not be searched, and walked
// shortcuts that vanished before they were read (in a run that does not keep
// going), are passed over and named in one message each; with the
// missing-target check on, one message after that counts the targets not
// found and not checked, and with the suspicious-shortcut checks on, one
// message last counts the shortcuts they flagged ("Suspicious shortcuts: N").
// A run that ends returns these closing messages in its result for the
// caller to show; one that fails tells them to the sink before it throws. It
// shows nothing: the front ends decide how to announce what it tells.
class AuditRun {
 public:
  // The missing-target check looks at `targets`; without it, at the system's.
  AuditRun(const platform::FileServices& files, const platform::FolderListing& folders);
  AuditRun(const platform::FileServices& files, const platform::FolderListing& folders,
           const platform::TargetFiles& targets);

  // Throws (naming the file or folder) when the folder cannot be searched,
  // the run would exceed the request's limit (RunTooLarge, before anything
  // is audited), a shortcut cannot be audited and the run does not keep
  // going, or the sink throws; entries already handed on stay handed on.
  AuditResult Run(const AuditRequest& request, EntrySink& sink);

 private:
  class Shortcuts;

  // The shortcuts of request.paths, each handed to `visit` with whether a
  // walk found it and the index of the path it came from; false from `visit`
  // stops them, and then this returns false.
  using PathVisitor = std::function<bool(const std::string& path, bool walked, std::size_t from)>;
  bool EachShortcutOfPaths(const AuditRequest& request, FolderWalk& walk,
                           const PathVisitor& visit) const;
  void AuditPaths(const AuditRequest& request, FolderWalk& walk, Shortcuts& shortcuts,
                  EntrySink& sink);
  // The key by which a shortcut reached twice is known.
  [[nodiscard]] std::string IdentityOf(const std::string& path) const;
  // The messages a run ends by telling (see the class comment); the
  // missing-target check's counts are taken, so they are told once.
  std::vector<std::string> ClosingMessages(
      const AuditRequest& request, const AuditResult& result,
      const std::vector<FolderWalk::NotSearched>& not_searched);

  const platform::FileServices& files_;
  const platform::FolderListing& folders_;
  const platform::TargetFiles& targets_;
  std::optional<checks::TargetCheck> target_check_;  // this run's, when asked for
  std::vector<std::string> vanished_;        // this run's
  std::vector<std::string> damaged_;         // this run's: "<location> (<cause>)"
};

// "1 Shortcut Found", "12 Shortcuts Found".
[[nodiscard]] std::string ResultLine(std::size_t count);

}  // namespace varnlink::audit
