#include "app/cli/command_line.h"

#include <cctype>

namespace varnlink::app::cli {
namespace {

// "X:=DIR" of --map; an error text when it is not one.
std::string AddDriveMapping(const std::string& value, audit::TargetCheckSettings& settings) {
  if (value.size() < 4 || !std::isalpha(static_cast<unsigned char>(value[0])) ||
      value.compare(1, 2, ":=") != 0) {
    return "--map needs DRIVE:=FOLDER, such as C:=/mnt/windows, not \"" + value + "\"";
  }
  const auto drive = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
  settings.drives.emplace_back(drive, value.substr(3));
  return {};
}

// "NAME=VALUE" of --env; an error text when it is not one.
std::string AddVariable(const std::string& value, audit::TargetCheckSettings& settings) {
  const std::size_t equals = value.find('=');
  if (equals == 0 || equals == std::string::npos ||
      value.substr(0, equals).find('%') != std::string::npos) {
    return "--env needs NAME=VALUE, such as USERPROFILE=C:\\Users\\ann, not \"" + value + "\"";
  }
  settings.variables.emplace_back(value.substr(0, equals), value.substr(equals + 1));
  return {};
}

}  // namespace

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
         "  --check-targets             look for each shortcut's target and mark those missing\n"
         "  --map X:=DIR                look for drive X: in folder DIR (repeatable; turns the\n"
         "                              check on); without it C: is the Windows disk holding\n"
         "                              FOLDER, on Linux\n"
         "  --env NAME=VALUE            use VALUE for %NAME% in targets (repeatable; turns the\n"
         "                              check on)\n"
         "  --help                      show this text\n"
         "  --version                   show the version\n"
         "\n"
         "stdout: the report, as Copy puts it on the clipboard (CR LF line ends)\n"
         "stderr: each warning on a line of its own, then (with the check) \"Targets not\n"
         "        found: N; not checked: K\", then the result line\n"
         "exit:   0 the run completed; 1 a failure ended the run; 2 bad usage\n";
}

CommandLine::Parsed CommandLine::Parse(const std::vector<std::string>& arguments) {
  CommandLine command;
  bool exe = false;
  bool non_exe = false;
  bool options_ended = false;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
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
    } else if (argument == "--check-targets") {
      command.options.check_targets = true;
    } else if (argument == "--map" || argument == "--env") {
      if (i + 1 == arguments.size()) return {std::nullopt, argument + " needs a value"};
      const std::string& value = arguments[++i];
      const std::string error = argument == "--map" ? AddDriveMapping(value, command.target_check)
                                                    : AddVariable(value, command.target_check);
      if (!error.empty()) return {std::nullopt, error};
      command.options.check_targets = true;
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
