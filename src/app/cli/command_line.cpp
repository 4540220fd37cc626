#include "app/cli/command_line.h"

#include <cctype>

#include "app/cli/record_fields.h"

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

constexpr std::size_t kHelpWidth = 80;

// The record's field names, comma-separated, wrapped and indented by two.
std::string FieldList() {
  std::string text;
  std::string line = " ";
  const auto fields = RecordFields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string word = std::string(fields[i].name) + (i + 1 < fields.size() ? "," : "");
    if (line.size() + 1 + word.size() > kHelpWidth) {
      text += line + "\n";
      line = " ";
    }
    line += " " + word;
  }
  return text + line + "\n";
}

std::optional<OutputFormat> FormatNamed(const std::string& name) {
  if (name == "text") return OutputFormat::kText;
  if (name == "jsonl") return OutputFormat::kJsonLines;
  if (name == "csv") return OutputFormat::kCsv;
  return std::nullopt;
}

}  // namespace

std::string UsageText() {
  return "usage: varnlink-cli [OPTIONS] FOLDER [NAME...]\n"
         "Audits the Windows shortcuts (.lnk files) in FOLDER and its sub-folders, or only\n"
         "the shortcut files NAME... inside FOLDER, and writes what it finds to standard\n"
         "output, each shortcut as soon as it is audited. It only reads the shortcuts.\n"
         "\n"
         "Options:\n"
         "  --format FORMAT             what to write:\n"
         "                                text   the report, as the window's Copy gives it\n"
         "                                       (CR LF line ends); the default\n"
         "                                jsonl  one record per shortcut, a JSON object per\n"
         "                                       line (UTF-8, LF)\n"
         "                                csv    one record per shortcut, RFC 4180 with a\n"
         "                                       header row (UTF-8, CR LF)\n"
         "  --csv-excel                 CSV for spreadsheets (implies --format csv): a\n"
         "                              byte-order mark, and a ' before every value that\n"
         "                              begins with =, +, -, @, a tab or a CR, so that no\n"
         "                              shortcut can plant a formula\n"
         "  --exe                       only targets containing \".EXE\" (any case)\n"
         "  --non-exe                   only targets without \".EXE\"\n"
         "  --no-subfolders             do not search sub-folders (ignored when NAMEs are\n"
         "                              given)\n"
         "  --warn-duplicates           warn of a target that begins an earlier entry's\n"
         "                              TARGET line\n"
         "  --warn-duplicate-arguments  the same for the target with its arguments\n"
         "  --check-targets             look for each shortcut's target and mark those missing\n"
         "  --map X:=DIR                look for drive X: in folder DIR (repeatable; turns the\n"
         "                              check on); without it C: is the Windows disk holding\n"
         "                              FOLDER, on Linux\n"
         "  --env NAME=VALUE            use VALUE for %NAME% in targets (repeatable; turns the\n"
         "                              check on)\n"
         "  --warn-suspicious           warn of shortcuts built to deceive: mark them and\n"
         "                              say what Windows really runs (see README)\n"
         "  --help                      show this text\n"
         "  --version                   show the version\n"
         "\n"
         "Without NAMEs every regular file whose name ends in \".lnk\" (any case) is audited,\n"
         "each folder in the order Windows lists it; hidden entries and symbolic links to\n"
         "folders are left out. The text report audits at most 32,767 shortcuts a run and\n"
         "refuses a larger one before auditing any; jsonl and csv have no limit.\n"
         "\n"
         "Records (jsonl, csv) hold these fields, in this order, each in every record:\n" +
         FieldList() +
         "A field the shortcut lacks is null (an empty CSV field). Texts are the\n"
         "shortcut's own, unmasked, with U+FFFD for what is not valid text; times are UTC\n"
         "(2026-12-08T12:47:20Z). A shortcut that cannot be audited gives a record whose\n"
         "error says why (path and name set, the rest null), and the run goes on.\n"
         "\n"
         "Standard error: text: each warning on a line of its own; jsonl and csv: the\n"
         "folders passed over (duplicate warnings are in the records); then, with the\n"
         "target check, \"Targets not found: N; not checked: K\"; then, with\n"
         "--warn-suspicious, \"Suspicious shortcuts: N\"; then the result line\n"
         "(\"12 Shortcuts Found\"; with jsonl and csv the count of records).\n"
         "\n"
         "Exit status:\n"
         "  0  the run completed; every shortcut was audited\n"
         "  1  the run failed: FOLDER cannot be searched, standard output cannot be\n"
         "     written, or (text) a shortcut could not be audited; what was written\n"
         "     before stays written\n"
         "  2  bad usage\n"
         "  3  (jsonl, csv) the run completed, but some shortcuts could not be audited\n"
         "A reader that stops reading early (| head) ends the run quietly, status 0.\n";
}

CommandLine::Parsed CommandLine::Parse(const std::vector<std::string>& arguments) {
  CommandLine command;
  bool exe = false;
  bool non_exe = false;
  bool options_ended = false;
  std::optional<OutputFormat> format;
  std::vector<std::string> positional;
  for (auto it = arguments.begin(); it != arguments.end(); ++it) {
    const std::string& argument = *it;
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
    } else if (argument == "--format" || argument.starts_with("--format=")) {
      std::string name;
      if (argument != "--format") {
        name = argument.substr(9);
      } else if (it + 1 != arguments.end()) {
        name = *++it;
      } else {
        return {std::nullopt, "--format needs a FORMAT: text, jsonl or csv"};
      }
      format = FormatNamed(name);
      if (!format) return {std::nullopt, "unknown format '" + name + "': text, jsonl or csv"};
    } else if (argument == "--csv-excel") {
      command.csv_for_excel = true;
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
    } else if (argument == "--warn-suspicious") {
      command.options.warn_suspicious = true;
    } else if (argument == "--map" || argument == "--env") {
      if (it + 1 == arguments.end()) return {std::nullopt, argument + " needs a value"};
      const std::string& value = *++it;
      const std::string error = argument == "--map" ? AddDriveMapping(value, command.target_check)
                                                    : AddVariable(value, command.target_check);
      if (!error.empty()) return {std::nullopt, error};
      command.options.check_targets = true;
    } else {
      return {std::nullopt, "unknown option " + argument};
    }
  }
  if (exe && non_exe) return {std::nullopt, "--exe and --non-exe exclude each other"};
  if (command.csv_for_excel && format && *format != OutputFormat::kCsv) {
    return {std::nullopt, "--csv-excel goes with --format csv only"};
  }
  command.format =
      command.csv_for_excel ? OutputFormat::kCsv : format.value_or(OutputFormat::kText);
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
