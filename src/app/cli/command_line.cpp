#include "app/cli/command_line.h"

namespace varnlink::app::cli {

std::string UsageText() {
  return "usage: varnlink-cli [OPTIONS] FOLDER [NAME...]\n"
         "Audits the Windows shortcuts (.lnk files) in FOLDER and its sub-folders, or only\n"
         "the shortcut files NAME... inside FOLDER, and writes the report.\n"
         "\n"
         "  --exe                       only targets containing \".EXE\"\n"
         "  --non-exe                   only targets without \".EXE\"\n"
         "  --no-subfolders             do not search sub-folders (ignored when NAMEs are given)\n"
         "  --warn-duplicates           warn of duplicate targets\n"
         "  --warn-duplicate-arguments  warn of duplicate targets with duplicate arguments\n"
         "  --help                      show this text\n"
         "  --version                   show the version\n"
         "\n"
         "stdout: the report, as Copy puts it on the clipboard (CR LF line ends)\n"
         "stderr: each warning on a line of its own, then the result line\n"
         "exit:   0 the run completed; 1 a failure ended the run; 2 bad usage\n";
}

CommandLine::Parsed CommandLine::Parse(const std::vector<std::string>& arguments) {
  CommandLine command;
  bool exe = false;
  bool non_exe = false;
  bool options_ended = false;
  std::vector<std::string> positional;
  for (const std::string& argument : arguments) {
    if (options_ended || argument.size() < 2 || argument.front() != '-') {
      positional.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      command.action = Action::kHelp;
      return {std::move(command), {}};
    } else if (argument == "--version") {
      command.action = Action::kVersion;
      return {std::move(command), {}};
    } else if (argument == "--exe") {
      exe = true;
    } else if (argument == "--non-exe") {
      non_exe = true;
    } else if (argument == "--no-subfolders") {
      command.options.search_subfolders = false;
    } else if (argument == "--warn-duplicates") {
      command.options.warn_duplicate_targets = true;
    } else if (argument == "--warn-duplicate-arguments") {
      command.options.warn_duplicate_arguments = true;
    } else {
      return {std::nullopt, "unknown option " + argument};
    }
  }
  if (exe && non_exe) return {std::nullopt, "--exe and --non-exe exclude each other"};
  command.options.target_filter = exe       ? auditor::TargetFilter::kExe
                                 : non_exe ? auditor::TargetFilter::kNonExe
                                           : auditor::TargetFilter::kAll;
  if (positional.empty()) return {std::nullopt, "no FOLDER given"};
  command.folder = positional.front();
  if (command.folder.empty()) return {std::nullopt, "FOLDER is empty"};
  command.names.assign(positional.begin() + 1, positional.end());
  for (const std::string& name : command.names) {
    if (name.empty()) return {std::nullopt, "a NAME is empty"};
  }
  return {std::move(command), {}};
}

}  // namespace varnlink::app::cli
