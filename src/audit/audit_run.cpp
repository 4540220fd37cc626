#include "audit/audit_run.h"

#include <cctype>
#include <string_view>
#include <unordered_set>

#include "audit/duplicate_warnings.h"
#include "audit/read_ahead.h"
#include "audit/shortcut_auditor.h"
#include "audit/shortcut_source.h"
#include "checks/suspicious_checks.h"
#include "lnk/app_ids.h"
#include "lnk/jump_list.h"
#include "lnk/shortcut_decoder.h"
#include "platform/error.h"
#include "text/name_case.h"
#include "text/report_text.h"

namespace varnlink::audit {
namespace {

// Jump lists larger than this are read only this far (what lies beyond is
// then missing, and said so). Real ones stay far below it.
constexpr std::size_t kMaxJumpListBytes = 64u * 1024u * 1024u;

// How many folders or shortcuts a "passed over" message names before it just counts.
constexpr std::size_t kNamed = 10;

// The first few of `items`, then how many more there are.
std::string NamedList(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < kNamed; ++i) {
    if (i > 0) text += "; ";
    text += items[i];
  }
  if (items.size() > kNamed) text += "; and " + std::to_string(items.size() - kNamed) + " more";
  return text;
}

// "1 <one> passed over: a", "3 <many> passed over: a; b; c".
std::string PassedOver(const std::vector<std::string>& items, std::string_view one,
                       std::string_view many) {
  return std::to_string(items.size()) + " " + std::string(items.size() == 1 ? one : many) +
         " passed over: " + NamedList(items);
}

// Each folder once, in the order first met: several paths may walk one
// folder twice.
std::vector<FolderWalk::NotSearched> Distinct(const std::vector<FolderWalk::NotSearched>& folders) {
  std::vector<FolderWalk::NotSearched> distinct;
  std::unordered_set<std::string> seen;
  for (const FolderWalk::NotSearched& folder : folders) {
    if (seen.insert(folder.folder).second) distinct.push_back(folder);
  }
  return distinct;
}

std::string WithSeparator(const std::string& folder, char separator) {
  return !folder.empty() && folder.back() == separator ? folder : folder + separator;
}

// The cause in a failure's message, which names the path first ("<path>: <cause>").
std::string CauseOf(std::string_view message, const std::string& path) {
  if (message.size() > path.size() + 2 && message.starts_with(path) &&
      message.substr(path.size(), 2) == ": ") {
    message.remove_prefix(path.size() + 2);
  }
  return std::string(message);
}

}  // namespace

// The shortcuts of one run, audited in the run's order: read (and for
// records decoded) ahead on reading threads where there are cores for them,
// then checked for duplicates and handed to the sink one at a time.
class AuditRun::Shortcuts {
 public:
  Shortcuts(AuditRun& run, const AuditRequest& request, EntrySink& sink)
      : run_(run), request_(request), sink_(sink) {
    ahead_ = ReadAhead::Start(run.files_, [this](const platform::FileServices& files,
                                                 Audited& shortcut) { Prepare(files, shortcut); });
  }

  // `walked`: the walk found it, rather than the user naming it; `from`: the
  // index of the request's path it came from.
  void Audit(const std::string& path, bool walked, std::size_t from = 0) {
    if (IsJumpListName(path)) return AuditJumpList(path, walked, from);
    Audited shortcut{path, walked, from, std::nullopt, nullptr};
    if (!ahead_) {
      try {
        Prepare(run_.files_, shortcut);
      } catch (...) {
        shortcut.error = std::current_exception();
      }
      return Complete(shortcut);
    }
    ahead_->Hand(std::move(shortcut));
    while (ahead_->Full()) CompleteFirst();
  }

  // Completes every shortcut still read ahead.
  void Finish() {
    while (ahead_ && !ahead_->Empty()) CompleteFirst();
  }

  AuditResult result;

 private:
  // What may run on any thread: reading; for records also decoding and the
  // suspicious-shortcut checks, since a record's shortcut costs enough to
  // decode that the reading threads share it. A report's shortcut costs
  // less to decode than to hand between cores and is decoded by Complete.
  // (On two cores, 32,767 shortcuts: the report 0.22 s to 0.16 s, JSON
  // Lines 0.39 s to 0.32 s.)
  void Prepare(const platform::FileServices& files, Audited& shortcut) const {
    if (request_.detail == lnk::Detail::kRecord) {
      ShortcutFile file(shortcut.path, files);
      Examine(files, file, shortcut);
      return WriteAhead(shortcut);
    }
    shortcut.facts = platform::GatherFileFacts(shortcut.path, files);
    shortcut.bytes = files.ReadFileStart(shortcut.path, lnk::kMaxShortcutBytes);
    shortcut.undecoded = true;
  }

  void Examine(const platform::FileServices& files, ShortcutSource& source,
               Audited& shortcut) const {
    const ShortcutAuditor auditor(files, request_.options.code_page);
    shortcut.entry = auditor.Audit(source, request_.options.target_filter, request_.detail);
    if (shortcut.entry && request_.options.warn_suspicious) {
      const std::string& path = shortcut.path;
      const std::string_view name =
          std::string_view(path).substr(path.find_last_of(files.PathSeparator()) + 1);
      shortcut.entry->suspicions = checks::FindSuspicions(shortcut.entry->info, name);
    }
  }

  // On a reading thread: what the sink can write of a decoded entry.
  void WriteAhead(Audited& shortcut) const {
    if (shortcut.entry) shortcut.written = sink_.WriteAhead(*shortcut.entry);
  }

  // A jump list's shortcuts, each audited in turn on the run's thread (after
  // the shortcuts read ahead before it), as entries of their own. What the
  // list cannot give (a stream its DestList names but the file lacks, a
  // damaged compound file) is a failure of its own in a run that keeps going,
  // and otherwise passed over and told at the end: the rest of the list and
  // of the run still count.
  void AuditJumpList(const std::string& path, bool walked, std::size_t from) {
    Finish();
    const platform::FileServices& files = run_.files_;
    const std::string file_name = path.substr(path.find_last_of(files.PathSeparator()) + 1);
    report::JumpListFacts base;
    base.container = path;
    base.app_id = file_name.substr(0, file_name.find('.'));
    if (const auto name = lnk::AppName(base.app_id)) base.app_name = std::string(*name);
    platform::FileFacts facts;
    std::vector<std::uint8_t> bytes;
    try {
      facts = platform::GatherFileFacts(path, files);
      bytes = files.ReadFileStart(path, kMaxJumpListBytes);
    } catch (...) {
      Audited unread{path, walked, from, std::nullopt, std::current_exception(), base};
      return Complete(unread);
    }
    const bool automatic = text::EndsWithIgnoringCase(path, ".automaticDestinations-ms");
    const lnk::JumpList list =
        automatic ? lnk::ReadAutomaticDestinations(bytes) : lnk::ReadCustomDestinations(bytes);
    const auto damaged = [&](Audited& part, const std::string& cause) {
      if (!request_.keep_going) {
        run_.damaged_.push_back(part.path + " (" + cause + ")");
        return;
      }
      part.error = std::make_exception_ptr(platform::Error(part.path + ": " + cause));
      Complete(part);
    };
    list.ForEachShortcut([&](const lnk::JumpListEntry& kept, std::span<const std::uint8_t> link) {
      Audited shortcut{path + "#" + kept.stream, false, from, std::nullopt, nullptr, base};
      JumpListFactsOf(kept, *shortcut.jump_list);
      if (kept.error) return damaged(shortcut, *kept.error);
      platform::FileFacts own = facts;
      own.path = shortcut.path;
      own.name = base.app_name.value_or(base.app_id) + " #" + kept.stream;
      own.size = link.size();
      ShortcutInStream source(std::move(own), link);
      try {
        Examine(files, source, shortcut);
      } catch (...) {
        shortcut.error = std::current_exception();
      }
      if (shortcut.entry) shortcut.entry->jump_list = shortcut.jump_list;
      Complete(shortcut);
    });
    if (list.error) {
      Audited whole{path, walked, from, std::nullopt, nullptr, base};
      damaged(whole, "the jump list does not hold together: " + *list.error);
    }
  }

  static void JumpListFactsOf(const lnk::JumpListEntry& kept, report::JumpListFacts& facts) {
    facts.stream = kept.stream;
    if (kept.category) facts.category = kept.category->name;
    if (const auto& entry = kept.dest_list) {
      facts.entry_number = entry->entry_number;
      facts.mru_position = entry->mru_position;
      facts.last_used = entry->last_used;
      facts.access_count = entry->access_count;
      facts.pinned = entry->pinned();
      facts.hostname = entry->hostname;
    }
  }

  void CompleteFirst() {
    for (Audited& shortcut : ahead_->TakeFirst(run_.files_)) {
      Complete(shortcut);
      // What this thread made it frees: memory freed by another thread than
      // the one that took it costs the allocator's locks.
      std::string().swap(shortcut.path);
      if (shortcut.undecoded) shortcut.entry.reset();
    }
    ahead_->Spent();
  }

  // What runs in the run's order: the target check, the duplicate checks, the sink.
  void Complete(Audited& shortcut) {
    const std::string& path = shortcut.path;
    if (shortcut.undecoded && !shortcut.error) {
      ShortcutInStream source(std::move(shortcut.facts), shortcut.bytes);
      try {
        Examine(run_.files_, source, shortcut);
      } catch (...) {
        shortcut.error = std::current_exception();
      }
    }
    try {
      if (shortcut.error) std::rethrow_exception(shortcut.error);
    } catch (const std::runtime_error& e) {
      if (request_.keep_going) {
        ++result.failed;
        sink_.Fail({path, platform::ShortcutNameOf(path, run_.files_.PathSeparator()),
                    CauseOf(e.what(), path), shortcut.jump_list});
        return;
      }
      // A shortcut the walk found may be gone by the time it is read; it is
      // passed over like a folder that could not be searched. A selected
      // shortcut that is missing still ends the run.
      if (!shortcut.walked || !platform::IsNotFound(e)) throw;
      run_.vanished_.push_back(path);
      return;
    }
    if (!shortcut.entry) return;
    report::ReportEntry& entry = *shortcut.entry;
    ++result.count;
    if (run_.target_check_) {
      // Each path of the request may map C: its own way.
      if (shortcut.from != current_from_) run_.target_check_->AuditFrom(request_.paths[shortcut.from]);
      current_from_ = shortcut.from;
      entry.target_status = run_.target_check_->Check(entry.info, path);
    }
    if (entry.suspicions && !entry.suspicions->empty()) ++result.suspicious;
    // Without the checks there is nothing to remember: a run's memory then
    // does not grow with the shortcuts it audits.
    const AuditOptions& options = request_.options;
    const bool checks = options.warn_duplicate_targets || options.warn_duplicate_arguments;
    if (checks) {
      for (const std::string& message : duplicates_.Check(entry, options)) {
        if (request_.announce_duplicates) sink_.Tell(message);
      }
    }
    if (shortcut.written) {
      sink_.AddWritten(entry, *shortcut.written);
    } else {
      sink_.Add(entry);
    }
    if (checks) duplicates_.Add(entry);
  }

  AuditRun& run_;
  const AuditRequest& request_;
  EntrySink& sink_;
  DuplicateWarnings duplicates_;
  std::size_t current_from_ = 0;  // the path the target check's C: was worked out for
  std::unique_ptr<ReadAhead> ahead_;  // last: its threads stop before the rest goes
};

std::string ResultLine(std::size_t count) {
  return std::to_string(count) + " Shortcut" + (count == 1 ? "" : "s") + " Found";
}

AuditRun::AuditRun(const platform::FileServices& files, const platform::FolderListing& folders)
    : AuditRun(files, folders, platform::SystemTargetFiles()) {}

AuditRun::AuditRun(const platform::FileServices& files, const platform::FolderListing& folders,
                   const platform::TargetFiles& targets)
    : files_(files), folders_(folders), targets_(targets) {}

AuditResult AuditRun::Run(const AuditRequest& request, EntrySink& sink) {
  vanished_.clear();
  damaged_.clear();
  target_check_.reset();
  if (request.options.check_targets) {
    target_check_.emplace(targets_, request.target_check,
                          request.paths.empty() ? request.folder : request.paths.front());
  }
  Shortcuts shortcuts(*this, request, sink);
  FolderWalk walk(folders_, files_.PathSeparator(), request.options.jump_lists);
  try {
    const std::string folder = WithSeparator(request.folder, files_.PathSeparator());
    if (!request.paths.empty()) {
      AuditPaths(request, walk, shortcuts, sink);
    } else if (!request.selected_names.empty()) {
      if (request.limit && request.selected_names.size() > *request.limit) {
        throw RunTooLarge(folder + ": " + std::to_string(request.selected_names.size()) +
                              " shortcuts selected, more than one run can audit (" +
                              std::to_string(*request.limit) + "); nothing was audited.",
                          "Select fewer shortcuts");
      }
      sink.Expect(request.selected_names.size());
      for (const std::string& name : request.selected_names) shortcuts.Audit(folder + name, false);
    } else if (!request.limit) {
      walk.Walk(folder, request.options.search_subfolders, [&](const std::string& path) {
        shortcuts.Audit(path, true);
        return true;
      });
    } else {
      // Every shortcut is found before any is audited, so that a run too
      // large is refused before it has begun.
      std::vector<std::string> paths;
      const bool whole =
          walk.Walk(folder, request.options.search_subfolders, [&](const std::string& path) {
            paths.push_back(path);
            return paths.size() <= *request.limit;
          });
      if (!whole) {
        throw RunTooLarge(folder + ": more than " + std::to_string(*request.limit) +
                              " shortcuts found, more than one run can audit; nothing was audited.",
                          "Choose a smaller folder or select the shortcuts to audit");
      }
      sink.Expect(paths.size());
      for (const std::string& path : paths) shortcuts.Audit(path, true);
    }
    shortcuts.Finish();
  } catch (...) {
    // What was passed over so far is told before the failure that ends the run.
    for (const std::string& message :
         ClosingMessages(request, shortcuts.result, Distinct(walk.Skipped()))) {
      sink.Tell(message);
    }
    throw;
  }
  AuditResult& result = shortcuts.result;
  result.passed_over = Distinct(walk.Skipped());
  result.vanished = vanished_.size();
  result.damaged = damaged_.size();
  result.closing_messages = ClosingMessages(request, result, result.passed_over);
  return result;
}

void AuditRun::AuditPaths(const AuditRequest& request, FolderWalk& walk, Shortcuts& shortcuts,
                          EntrySink& sink) {
  if (!request.limit) {
    EachShortcutOfPaths(request, walk, [&](const std::string& path, bool walked, std::size_t from) {
      shortcuts.Audit(path, walked, from);
      return true;
    });
    return;
  }
  // Every shortcut is found before any is audited, so that a run too large
  // is refused before it has begun.
  struct Found {
    std::string path;
    bool walked;
    std::size_t from;
  };
  std::vector<Found> found;
  const bool whole = EachShortcutOfPaths(
      request, walk, [&](const std::string& path, bool walked, std::size_t from) {
        found.push_back({path, walked, from});
        return found.size() <= *request.limit;
      });
  if (!whole) {
    const std::size_t from = found.back().from;
    const char separator = files_.PathSeparator();
    std::string named = request.paths[from];
    if (folders_.IsFolder(named))
      named = WithSeparator(WithoutTrailingSeparator(named, separator), separator);
    throw RunTooLarge(named + ": more than " + std::to_string(*request.limit) + " shortcuts found" +
                          (from > 0 ? " with the paths before it" : "") +
                          ", more than one run can audit; nothing was audited.",
                      "Choose a smaller folder or select the shortcuts to audit");
  }
  sink.Expect(found.size());
  for (const Found& shortcut : found) shortcuts.Audit(shortcut.path, shortcut.walked, shortcut.from);
}

bool AuditRun::EachShortcutOfPaths(const AuditRequest& request, FolderWalk& walk,
                                   const PathVisitor& visit) const {
  const char separator = files_.PathSeparator();
  // One path alone never reaches a shortcut twice: a walk does not follow
  // links to folders. Several may, and then each shortcut is remembered.
  const bool several = request.paths.size() > 1;
  std::unordered_set<std::string> reached;
  const auto first_time = [&](const std::string& path) {
    return !several || reached.insert(IdentityOf(path)).second;
  };
  for (std::size_t from = 0; from < request.paths.size(); ++from) {
    const std::string& path = request.paths[from];
    if (folders_.IsFolder(path)) {
      const std::string folder =
          WithSeparator(WithoutTrailingSeparator(path, separator), separator);
      const bool whole = walk.Walk(
          folder, request.options.search_subfolders,
          [&](const std::string& found) { return !first_time(found) || visit(found, true, from); });
      if (!whole) return false;
    } else if (first_time(path) && !visit(path, false, from)) {
      return false;
    }
  }
  return true;
}

// The canonical path: on Linux made absolute with "." and ".." and symbolic
// links resolved (realpath), so the same file reached by two spellings is
// known once; on Windows the full path (GetFullPathNameW), its letters
// upper-cased since NTFS names compare without regard to case. The file
// system's own identity (device and inode, or volume and file index) is not
// among what the platform layer tells of a path; the canonical path names a
// file one way in all but hard links, each of which is then audited.
std::string AuditRun::IdentityOf(const std::string& path) const {
  std::string full = targets_.FullPath(path);
  if (files_.PathSeparator() == '\\') {
    for (char& c : full) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return full;
}

std::vector<std::string> AuditRun::ClosingMessages(
    const AuditRequest& request, const AuditResult& result,
    const std::vector<FolderWalk::NotSearched>& not_searched) {
  std::vector<std::string> messages;
  if (!not_searched.empty()) {
    std::vector<std::string> named;
    for (const auto& folder : not_searched) {
      named.push_back(folder.folder + " (" + folder.reason + ")");
    }
    messages.push_back(text::ShownText(
        PassedOver(named, "folder could not be searched and was",
                   "folders could not be searched and were")));
  }
  if (!vanished_.empty()) {
    messages.push_back(text::ShownText(
        PassedOver(vanished_, "shortcut vanished before it could be audited and was",
                   "shortcuts vanished before they could be audited and were")));
  }
  if (!damaged_.empty()) {
    messages.push_back(text::ShownText(
        PassedOver(damaged_, "part of a jump list could not be read and was",
                   "parts of jump lists could not be read and were")));
  }
  if (target_check_) {
    messages.push_back(target_check_->Summary());
    target_check_.reset();
  }
  if (request.options.warn_suspicious) {
    messages.push_back("Suspicious shortcuts: " + std::to_string(result.suspicious));
  }
  return messages;
}

}  // namespace varnlink::audit
