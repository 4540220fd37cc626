#include "app/cli/cli_app.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <memory>
#include <string>
#include <type_traits>
#include <system_error>
#include <utility>

#include "audit/audit_run.h"
#include "audit/quarantine.h"
#include "audit/quarantine_sink.h"
#include "platform/error.h"
#include "report/body_file_writer.h"
#include "report/details_writer.h"
#include "report/record_writer.h"
#include "report/report_format.h"
#include "report/timeline_writer.h"
#include "text/report_text.h"
#include "varnlink/version.h"

namespace varnlink::app::cli {
namespace {

// Standard output could not be written; `error` is the system's errno value.
struct OutputFailed {
  int error;
};

// Standard output through one buffer of our own: a writer appends to Text()
// and the buffer goes out in large writes, not a system call per entry. The
// first failed write throws OutputFailed; later writes are not tried.
class Output {
 public:
  explicit Output(std::ostream& out) : out_(out) { text_.reserve(kFlushAt + kFlushAt / 4); }

  std::string& Text() { return text_; }
  // After each entry or record: writes the buffer out once it is full.
  void Appended() {
    if (text_.size() >= kFlushAt) Flush();
  }
  void Flush() {
    if (error_ == 0) {
      errno = 0;
      out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
      out_.flush();
      // The stream keeps no reason; the failed write just left it in errno.
      if (!out_) error_ = errno != 0 ? errno : EIO;
    }
    text_.clear();
    if (error_ != 0) throw OutputFailed{error_};
  }
  // The reader closed its end of the pipe (`| head`): the run ends quietly.
  [[nodiscard]] bool ReaderGone() const { return error_ == EPIPE; }

 private:
  static constexpr std::size_t kFlushAt = 64 * 1024;

  std::ostream& out_;
  std::string text_;
  int error_ = 0;
};

// What the window shows in message boxes, as lines on stderr, in order. They
// are buffered with the rest of stderr (a run with many duplicates writes
// tens of thousands) and flushed when the run ends. Once the reader of stdout
// has gone, nothing more.
class MessageLines {
 public:
  MessageLines(std::ostream& err, const Output& output) : err_(err), output_(output) {}
  void Tell(const std::string& text) {
    if (output_.ReaderGone()) return;
    line_.clear();
    text::AppendShownText(line_, text);
    line_ += '\n';
    err_ << line_;
  }

 private:
  std::ostream& err_;
  const Output& output_;
  std::string line_;
};

// The text report, entry by entry as each is made.
class ReportWriter : public audit::EntrySink {
 public:
  ReportWriter(Output& output, MessageLines& messages) : output_(output), messages_(messages) {}
  void Add(const report::ReportEntry& entry) override {
    report::AppendEntry(output_.Text(), entry);
    output_.Appended();
  }
  void Tell(const std::string& message) override { messages_.Tell(message); }

 private:
  Output& output_;
  MessageLines& messages_;
};

// Records, one per shortcut as each is audited or fails, by a
// report::RecordWriter or a report::DetailsWriter; or what each shortcut
// dates, by a report::BodyFileWriter or a report::TimelineWriter.
template <typename Writer>
class RecordSink : public audit::EntrySink {
 public:
  RecordSink(Output& output, Writer writer, MessageLines& messages)
      : output_(output), writer_(std::move(writer)), messages_(messages) {
    writer_.AppendStart(output_.Text());
  }
  void Add(const report::ReportEntry& entry) override { Write({&entry, nullptr}); }
  void Fail(const report::FailedShortcut& shortcut) override { Write({nullptr, &shortcut}); }
  // JSON Lines and CSV records are written, but for the fields the run sets
  // in its order, on the reading threads.
  std::optional<report::RecordParts> WriteAhead(const report::ReportEntry& entry) const override {
    if constexpr (std::is_same_v<Writer, report::RecordWriter>) {
      return writer_.RenderAhead({&entry, nullptr});
    }
    return std::nullopt;
  }
  void AddWritten(const report::ReportEntry& entry, const report::RecordParts& parts) override {
    if constexpr (std::is_same_v<Writer, report::RecordWriter>) {
      writer_.AppendRecord(output_.Text(), {&entry, nullptr}, parts);
      output_.Appended();
    } else {
      Add(entry);
    }
  }
  void Tell(const std::string& message) override { messages_.Tell(message); }

 private:
  void Write(const report::Record& record) {
    writer_.AppendRecord(output_.Text(), record);
    output_.Appended();
  }

  Output& output_;
  Writer writer_;
  MessageLines& messages_;
};

report::RecordFormat RecordFormatOf(const CommandLine& command) {
  if (command.format == OutputFormat::kJsonLines) return report::RecordFormat::kJsonLines;
  return command.csv_for_excel ? report::RecordFormat::kCsvForExcel : report::RecordFormat::kCsv;
}

// True when something is at `path` (a relative one from the current folder).
bool Exists(const std::string& path, const platform::FileServices& files,
            const platform::FolderListing& folders) {
  if (folders.IsFolder(path)) return true;
  try {
    (void)files.StatusOf(path);
    return true;
  } catch (const std::exception& e) {
    return !platform::IsNotFound(e);
  }
}

// The older form FOLDER NAME...: the names are shortcut files in FOLDER. It
// is meant when the first path is a folder and none of the others is
// anything from the current folder; else each path stands for itself.
bool IsFolderAndNames(const std::vector<std::string>& paths, const platform::FileServices& files,
                      const platform::FolderListing& folders) {
  if (paths.size() < 2 || !folders.IsFolder(paths.front())) return false;
  return std::none_of(paths.begin() + 1, paths.end(),
                      [&](const std::string& path) { return Exists(path, files, folders); });
}

// The last name of a folder's path ("Locked" of "/r/Locked/"), as the
// record of a shortcut holds its name.
std::string FolderName(const std::string& folder, char separator) {
  const std::string path = audit::WithoutTrailingSeparator(folder, separator);
  const std::size_t cut = path.find_last_of(separator);
  return cut == std::string::npos || cut + 1 == path.size() ? path : path.substr(cut + 1);
}

// The exit status, and the message, when stdout could not be written.
int OutputFailure(const OutputFailed& failure, std::ostream& err) {
  if (failure.error != EPIPE) {
    err << "varnlink-cli: standard output: cannot write: "
        << std::generic_category().message(failure.error) << '\n';
  }
  err << std::flush;
  return failure.error == EPIPE ? 0 : 1;
}

// What the quarantine did, told before the result line.
void TellMoves(const audit::QuarantineSink& moves, const audit::Quarantine& quarantine,
               bool dry_run, MessageLines& messages) {
  if (dry_run) {
    for (const auto& [from, to] : moves.Moves()) messages.Tell("Would quarantine: " + from + " -> " + to);
    messages.Tell("Would quarantine: " + std::to_string(moves.Moves().size()) +
                  "; nothing moved");
  } else {
    messages.Tell("Quarantined: " + std::to_string(moves.Moves().size()) + " to " +
                  quarantine.Folder());
  }
}

int RunAudit(const CommandLine& command, const platform::FileServices& files,
             const platform::FolderListing& folders, std::ostream& out, std::ostream& err,
             const platform::FileMover& mover) {
  Output output(out);
  MessageLines messages(err, output);
  const bool records = command.format != OutputFormat::kText;
  std::optional<audit::Quarantine> quarantine;
  std::unique_ptr<audit::QuarantineSink> moving;
  try {
    for (const auto& [drive, mapped] : command.target_check.drives) {
      if (!folders.IsFolder(mapped)) {
        throw platform::Error(mapped + ": cannot look for drive " + drive +
                              ": in it: it does not exist or is not a folder");
      }
    }
    audit::AuditRequest request{{}, {}, command.options};
    if (IsFolderAndNames(command.paths, files, folders)) {
      request.folder =
          audit::WithoutTrailingSeparator(command.paths.front(), files.PathSeparator());
      request.selected_names.assign(command.paths.begin() + 1, command.paths.end());
    } else {
      request.paths = command.paths;
    }
    request.target_check = command.target_check;
    std::unique_ptr<audit::EntrySink> sink;
    if (records) {
      // Records are for scripts and fleets: no limit, a record for every
      // shortcut, and the duplicate warnings in the records.
      request.limit = std::nullopt;
      request.keep_going = true;
      request.announce_duplicates = false;
      request.detail = lnk::Detail::kRecord;
      if (command.format == OutputFormat::kDetails) {
        sink = std::make_unique<RecordSink<report::DetailsWriter>>(output, report::DetailsWriter(),
                                                                   messages);
      } else if (command.format == OutputFormat::kBodyFile) {
        sink = std::make_unique<RecordSink<report::BodyFileWriter>>(
            output, report::BodyFileWriter(), messages);
      } else if (command.format == OutputFormat::kTimeline) {
        sink = std::make_unique<RecordSink<report::TimelineWriter>>(
            output, report::TimelineWriter(), messages);
      } else {
        sink = std::make_unique<RecordSink<report::RecordWriter>>(
            output, report::RecordWriter(RecordFormatOf(command)), messages);
      }
    } else {
      sink = std::make_unique<ReportWriter>(output, messages);
    }
    if (command.quarantine) {
      const std::vector<std::string> audited =
          request.paths.empty() ? std::vector<std::string>{request.folder} : request.paths;
      quarantine.emplace(mover, *command.quarantine, audited, command.dry_run);
      moving = std::make_unique<audit::QuarantineSink>(*sink, *quarantine, audited,
                                                       files.PathSeparator(), command.dry_run);
    }
    const audit::AuditResult result =
        audit::AuditRun(files, folders).Run(request, moving ? *moving : *sink);
    if (records) {
      // A collector sees what it did not get: each folder passed over.
      for (const auto& [folder, reason] : result.passed_over) {
        sink->Fail({folder, FolderName(folder, files.PathSeparator()), reason});
      }
    }
    output.Flush();
    for (const std::string& message : result.closing_messages) messages.Tell(message);
    if (moving) TellMoves(*moving, *quarantine, command.dry_run, messages);
    err << audit::ResultLine(result.count + result.failed) << '\n' << std::flush;
    const bool partial = result.failed > 0 || result.vanished > 0 || result.damaged > 0 ||
                         !result.passed_over.empty();
    return partial ? 3 : 0;
  } catch (const OutputFailed& failure) {
    return OutputFailure(failure, err);
  } catch (const audit::QuarantineRefused& refused) {
    err << "varnlink-cli: " << text::ShownText(refused.what()) << '\n' << std::flush;
    return 2;
  } catch (const std::exception& e) {
    // What was written so far goes out: in text, the report the window would show.
    try {
      output.Flush();
    } catch (const OutputFailed& failure) {
      if (failure.error == EPIPE) return OutputFailure(failure, err);
    }
    err << "varnlink-cli: ";
    if (const auto* too_large = dynamic_cast<const audit::RunTooLarge*>(&e)) {
      err << text::ShownText(too_large->Facts() + " " + too_large->Advice() +
                                ", or use --format jsonl or --format csv.");
    } else {
      err << text::ShownText(e.what());
    }
    err << '\n';
    // What moved before the failure is in quarantine, each with its line.
    if (moving && !command.dry_run) TellMoves(*moving, *quarantine, false, messages);
    err << std::flush;
    return 1;
  }
}

int RunRestore(const std::string& folder, const platform::FileMover& mover, std::ostream& out,
               std::ostream& err) {
  try {
    const audit::RestoreResult result = audit::RestoreQuarantine(mover, folder);
    for (const std::string& path : result.restored) out << path << '\n';
    out << std::flush;
    for (const std::string& left : result.left) {
      err << "varnlink-cli: " << text::ShownText(left) << '\n';
    }
    err << "Restored: " << result.restored.size() << "; left in quarantine: "
        << result.left.size() << '\n'
        << std::flush;
    return result.left.empty() ? 0 : 3;
  } catch (const audit::QuarantineRefused& refused) {
    err << "varnlink-cli: " << text::ShownText(refused.what()) << '\n' << std::flush;
    return 2;
  } catch (const std::exception& e) {
    err << "varnlink-cli: " << text::ShownText(e.what()) << '\n' << std::flush;
    return 1;
  }
}

}  // namespace

int Main(const std::vector<std::string>& arguments, const platform::FileServices& files,
         const platform::FolderListing& folders, std::ostream& out, std::ostream& err,
         const platform::FileMover& mover) {
  const CommandLine::Parsed parsed = CommandLine::Parse(arguments);
  if (!parsed.command) {
    err << "varnlink-cli: " << parsed.error << "\n"
        << "Try 'varnlink-cli --help' for more information.\n"
        << std::flush;
    return 2;
  }
  switch (parsed.command->action) {
    case CommandLine::Action::kHelp:
      out << UsageText() << std::flush;
      return out ? 0 : 1;
    case CommandLine::Action::kVersion:
      out << "varnlink-cli " << kVersion << "\n" << std::flush;
      return out ? 0 : 1;
    case CommandLine::Action::kRestore:
      return RunRestore(*parsed.command->quarantine, mover, out, err);
    case CommandLine::Action::kAudit:
      break;
  }
  if (const auto warning = audit::CodePageWarning(parsed.command->options)) {
    err << "varnlink-cli: " << *warning << "\n" << std::flush;
  }
  return RunAudit(*parsed.command, files, folders, out, err, mover);
}

}  // namespace varnlink::app::cli
