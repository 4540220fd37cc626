#include "app/cli/cli_app.h"

#include <exception>
#include <string>

#include "audit/audit_run.h"
#include "auditor/report_format.h"
#include "auditor/report_text.h"
#include "platform/error.h"
#include "platform/message_dialog.h"
#include "varnlink/version.h"

namespace varnlink::app::cli {
namespace {

// Message boxes become lines on stderr, in order. They are buffered with the
// rest of stderr (a run with many duplicates writes tens of thousands) and
// flushed when the run ends.
class LineMessageDialog : public platform::MessageDialog {
 public:
  explicit LineMessageDialog(std::ostream& err) : err_(err) {}
  void Show(const std::string& text) override { err_ << auditor::ShownText(text) << '\n'; }

 private:
  std::ostream& err_;
};

// Writes each entry of the report as it is made.
class ReportWriter : public audit::EntrySink {
 public:
  explicit ReportWriter(std::ostream& out) : out_(out) {}
  void Add(const auditor::ReportEntry& entry) override {
    text_.clear();
    auditor::AppendEntry(text_, entry);
    out_ << text_;
  }

 private:
  std::ostream& out_;
  std::string text_;
};

int RunAudit(const CommandLine& command, const platform::FileServices& files,
             const platform::FolderListing& folders, std::ostream& out, std::ostream& err) {
  LineMessageDialog messages(err);
  ReportWriter writer(out);
  try {
    const std::string folder = audit::WithoutTrailingSeparator(command.folder, files.PathSeparator());
    if (!folders.IsFolder(folder)) {
      throw platform::Error(folder + ": cannot open folder: it does not exist or is not a folder");
    }
    for (const auto& [drive, mapped] : command.target_check.drives) {
      if (!folders.IsFolder(mapped)) {
        throw platform::Error(mapped + ": cannot look for drive " + drive +
                              ": in it: it does not exist or is not a folder");
      }
    }
    const audit::AuditRequest request{folder, command.names, command.options,
                                      audit::kMaxShortcutsPerRun, command.target_check};
    const audit::AuditResult result = audit::AuditRun(files, folders, messages).Run(request, writer);
    out << std::flush;
    if (!out) {
      err << "varnlink-cli: standard output: cannot write the report\n" << std::flush;
      return 1;
    }
    err << audit::ResultLine(result.count) << '\n' << std::flush;
    return 0;
  } catch (const std::exception& e) {
    // The report so far has gone out already: it is what the window would show.
    out << std::flush;
    err << "varnlink-cli: " << auditor::ShownText(e.what()) << '\n' << std::flush;
    return 1;
  }
}

}  // namespace

int Main(const std::vector<std::string>& arguments, const platform::FileServices& files,
         const platform::FolderListing& folders, std::ostream& out, std::ostream& err) {
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
    case CommandLine::Action::kAudit:
      break;
  }
  return RunAudit(*parsed.command, files, folders, out, err);
}

}  // namespace varnlink::app::cli
