#include "app/cli/cli_app.h"

#include <exception>
#include <string>

#include "auditor/report_text.h"
#include "platform/error.h"
#include "platform/message_dialog.h"
#include "window/form1.h"

namespace varnlink::cli {
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

// The command line has neither a printer nor a clipboard; the run never asks
// for them, and a call would be a programming error worth a clear message.
class NoPrinter : public platform::Printer {
 public:
  void PrintText(const std::string&) override {
    throw platform::Error("printer: not available on the command line");
  }
};

class NoClipboard : public platform::Clipboard {
 public:
  void Clear() override { throw platform::Error("clipboard: not available on the command line"); }
  void SetText(const std::string&) override { Clear(); }
};

}  // namespace

CliApp::CliApp(const platform::FileServices& files, const platform::FolderListing& folders,
               std::ostream& out, std::ostream& err)
    : files_(files), folders_(folders), out_(out), err_(err) {}

int CliApp::Run(const CommandLine& command) {
  LineMessageDialog messages(err_);
  NoPrinter printer;
  NoClipboard clipboard;
  window::Form1 form(window::Platform{files_, folders_, messages, printer, clipboard});
  try {
    form.Form_Load();
    // Opening the folder in the folder list: Label2 shows it from then on.
    form.Dir1.Path = window::WithoutTrailingSeparator(command.folder, files_.PathSeparator());
    form.Dir1_Change();
    for (const std::string& name : command.names) form.List2.AddItem(name);
    form.Timer1_Timer();  // the tick between the selection and the click
    form.Option1.Value = command.targets == CommandLine::Targets::kAll;
    form.Option2.Value = command.targets == CommandLine::Targets::kExe;
    form.Option3.Value = command.targets == CommandLine::Targets::kNonExe;
    if (!command.subfolders) form.Check1.Value = 0;
    form.Check2.Value = command.warn_duplicates ? 1 : 0;
    form.Check3.Value = command.warn_duplicate_arguments ? 1 : 0;
    form.Command1_Click();
  } catch (const std::exception& e) {
    // The report so far still goes out: it is what the window would show.
    out_ << form.Text1.Text.Text() << std::flush;
    err_ << "varnlink-cli: " << auditor::ShownText(e.what()) << '\n' << std::flush;
    return 1;
  }
  out_ << form.Text1.Text.Text() << std::flush;
  if (!out_) {
    err_ << "varnlink-cli: standard output: cannot write the report\n" << std::flush;
    return 1;
  }
  err_ << form.Label1.Caption << '\n' << std::flush;
  return 0;
}

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
      out << "varnlink-cli 1.0 (Varnlink V1.0)\n" << std::flush;
      return out ? 0 : 1;
    case CommandLine::Action::kAudit:
      break;
  }
  try {
    return CliApp(files, folders, out, err).Run(*parsed.command);
  } catch (const std::exception& e) {
    err << "varnlink-cli: " << e.what() << '\n' << std::flush;
    return 1;
  }
}

}  // namespace varnlink::cli
