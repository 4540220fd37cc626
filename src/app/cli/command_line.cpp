#include "app/cli/command_line.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>
#include <utility>

#include "report/record_fields.h"

namespace varnlink::app::cli {
namespace {

// "X:=DIR" of --map; an error text when it is not one.
std::string AddDriveMapping(const std::string& value, checks::TargetCheckSettings& settings) {
  if (value.size() < 4 || !std::isalpha(static_cast<unsigned char>(value[0])) ||
      value.compare(1, 2, ":=") != 0) {
    return "--map needs DRIVE:=FOLDER, such as C:=/mnt/windows, not \"" + value + "\"";
  }
  const auto drive = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
  for (const auto& [mapped, folder] : settings.drives) {
    if (mapped == drive) {
      return "--map gives drive " + std::string{drive} + ": twice, as " + folder + " and as " +
             value.substr(3);
    }
  }
  settings.drives.emplace_back(drive, value.substr(3));
  return {};
}

// "NAME=VALUE" of --env; an error text when it is not one.
std::string AddVariable(const std::string& value, checks::TargetCheckSettings& settings) {
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
  const auto fields = report::RecordFields();
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
  if (name == "details") return OutputFormat::kDetails;
  if (name == "bodyfile") return OutputFormat::kBodyFile;
  if (name == "timeline") return OutputFormat::kTimeline;
  return std::nullopt;
}

}  // namespace

std::string UsageText() {
  return "usage: varnlink-cli [OPTIONS] PATH...\n"
         "       varnlink-cli --quarantine DIR [--dry-run] [OPTIONS] PATH...\n"
         "       varnlink-cli --restore DIR\n"
         "Audits the Windows shortcuts (.lnk files) at each PATH in the order given: a\n"
         "shortcut file itself, a folder with its sub-folders; a shortcut reached twice is\n"
         "audited once. It writes what it finds to standard output, each shortcut as soon\n"
         "as it is audited. The audit only reads the shortcuts; only --quarantine and\n"
         "--restore move them.\n"
         "The older form FOLDER NAME... audits only the shortcut files NAME... inside\n"
         "FOLDER: it applies when the first PATH is a folder and none of the others is\n"
         "found from the current folder.\n"
         "\n"
         "Options (one that takes a value also takes it after =, as in --format=csv):\n"
         "  --format FORMAT             what to write:\n"
         "                                text    the report, as the window's Copy gives\n"
         "                                        it (CR LF line ends); the default\n"
         "                                jsonl   one record per shortcut, a JSON object\n"
         "                                        per line (UTF-8, LF)\n"
         "                                csv     one record per shortcut, RFC 4180 with a\n"
         "                                        header row (UTF-8, CR LF)\n"
         "                                details the records for people: a field per\n"
         "                                        line, \"Label: value\", grouped by the\n"
         "                                        link's parts (UTF-8, LF)\n"
         "                                bodyfile what the shortcuts date, as a body\n"
         "                                        file for mactime (UTF-8, LF)\n"
         "                                timeline what the shortcuts date, a CSV row per\n"
         "                                        time for timeline viewers (UTF-8, CR LF)\n"
         "  --csv-excel                 CSV for spreadsheets (implies --format csv): a\n"
         "                              byte-order mark, and a ' before every value that\n"
         "                              begins with =, +, -, @, a tab or a CR, so that no\n"
         "                              shortcut can plant a formula\n"
         "  --exe                       only targets containing \".EXE\" (any case)\n"
         "  --non-exe                   only targets without \".EXE\"\n"
         "  --no-subfolders             do not search the sub-folders of a folder PATH\n"
         "  --jump-lists                in a folder, read the jump lists too\n"
         "                              (*.automaticDestinations-ms,\n"
         "                              *.customDestinations-ms): each shortcut they keep\n"
         "                              is an entry of its own; a jump list given as a\n"
         "                              PATH is always read\n"
         "  --warn-duplicates           warn of a target that begins an earlier entry's\n"
         "                              TARGET line\n"
         "  --warn-duplicate-arguments  the same for the target with its arguments\n"
         "  --check-targets             look for each shortcut's target and mark those missing\n"
         "  --map X:=DIR                look for drive X: in folder DIR (repeatable, once a\n"
         "                              drive; turns the check on); without it C: is the\n"
         "                              Windows disk holding each PATH, on Linux\n"
         "  --env NAME=VALUE            use VALUE for %NAME% in targets (repeatable; turns the\n"
         "                              check on)\n"
         "  --warn-suspicious           warn of shortcuts built to deceive: mark them and\n"
         "                              say what Windows really runs\n"
         "  --codepage auto|N           read ANSI text in Windows code page N: 1250 to\n"
         "                              1258, 874, 932, 936, 949, 950 or 65001 (UTF-8);\n"
         "                              auto, the default: each shortcut's own, the page\n"
         "                              in which its Unicode strings hold its ANSI ones,\n"
         "                              else its console's, else the system's (1252 on\n"
         "                              Linux)\n"
         "  --quarantine DIR            move each shortcut whose target the file system\n"
         "                              says does not exist into DIR (implies the target\n"
         "                              check; on Linux it needs --map C:=DIR): see\n"
         "                              Cleaning up below\n"
         "  --dry-run                   with --quarantine: list what would move on\n"
         "                              standard error, and move nothing\n"
         "  --restore DIR               put every shortcut quarantined in DIR back\n"
         "  --help                      show this text\n"
         "  --version                   show the version\n"
         "\n"
         "In a folder every regular file whose name ends in \".lnk\" (any case) is audited,\n"
         "each folder in the order Windows lists it; hidden entries and symbolic links to\n"
         "folders are left out. With --jump-lists the jump lists are audited too: each\n"
         "shortcut they keep is named \"<program or AppID> #<stream>\" and located at\n"
         "\"<jump list>#<stream>\". The text report audits at most 32,767 shortcuts a run, all\n"
         "PATHs together, and refuses a larger one before auditing any; jsonl, csv and\n"
         "details, bodyfile and timeline have no limit.\n"
         "\n"
         "Records (jsonl, csv) hold these fields, in this order, each in every record:\n" +
         FieldList() +
         "A field the shortcut lacks is null (an empty CSV field). Texts are the\n"
         "shortcut's own, unmasked, with U+FFFD for what is not valid text; times are UTC\n"
         "(2026-12-08T12:47:20Z). A shortcut that cannot be audited gives a record whose\n"
         "error says why (path and name set, the rest null), and the run goes on. So does\n"
         "a folder passed over, last: its path ends in a separator, its name is its own.\n"
         "\n"
         "Details hold the same shortcuts and values as the records, one shortcut after\n"
         "another with a blank line between: a heading for each part (File, Jump list,\n"
         "Header, Link info, Strings, Target, ID list, Extra data, Property store,\n"
         "Checks), then a\n"
         "field per line, \"  Target: C:\\x.exe\"; a shell item is a block of its own, a\n"
         "property a line. A field without a value is left out, and so is a part without\n"
         "any. Texts are masked as in the report: no shortcut can start a line.\n"
         "\n"
         "Bodyfile and timeline date, for each shortcut, the shortcut file itself, its\n"
         "target as the header records it, the tracker's droid time and each shell item\n"
         "with times. Bodyfile: a line per dated thing,\n"
         "\"0|NAME|0|0|0|0|SIZE|ATIME|MTIME|CTIME|CRTIME\", Unix seconds, 0 where unknown;\n"
         "NAME is the shortcut's path, \"PATH -> TARGET\" or \"PATH -> ITEM'S PATH\", with\n"
         "%, | and control characters as %XX and LF as U+240A; mactime -b FILE -d makes\n"
         "the timeline. Timeline: columns datetime (UTC), timestamp_desc, message, path,\n"
         "target, arguments, machine_id, sha256, suspicious; a time not known has no row.\n"
         "\n"
         "Standard error: text: each warning on a line of its own; other formats:\n"
         "the folders passed over (duplicate warnings are in the records); then, with the\n"
         "target check, \"Targets not found: N; not checked: K\"; then, with\n"
         "--warn-suspicious, \"Suspicious shortcuts: N\"; then the result line\n"
         "(\"12 Shortcuts Found\"; in the other formats the count of shortcut\n"
         "records).\n"
         "\n"
         "Cleaning up: --quarantine moves a shortcut only when its target is missing\n"
         "because the file system said no such file or folder; never one whose target\n"
         "is found or not checked or could not be looked at, never a shortcut kept in a\n"
         "jump list, never one that could not be read. It goes to DIR/N/<its path below\n"
         "the PATH>, N counting the PATHs from 1 (after the numbers DIR already holds).\n"
         "Before it moves, a line for it is appended to DIR/manifest.jsonl and flushed\n"
         "to disk: its original path, size, SHA-256, times and attributes. The report\n"
         "marks each moved one (\"*** QUARANTINED SHORTCUT BELOW***\"), records give\n"
         "quarantined_to, and standard error counts them (\"Quarantined: N\").\n"
         "--restore DIR puts each back with its times and attributes and lists it on\n"
         "standard output; one whose place holds another file stays in quarantine\n"
         "(status 3). DIR inside a PATH, a DIR that cannot be written and a manifest\n"
         "of a newer version are refused (status 2).\n"
         "\n"
         "Exit status:\n"
         "  0  the run completed: every shortcut under the PATHs was audited\n"
         "  1  the run failed: a folder PATH cannot be searched, standard output cannot\n"
         "     be written, or (text) a shortcut could not be audited, a PATH that does\n"
         "     not exist among them; what was written before stays written\n"
         "  2  bad usage\n"
         "  3  the run completed but is partial: a folder could not be searched, a\n"
         "     shortcut vanished before it was read, or part of a jump list could not be\n"
         "     read, and was passed over, or (the other formats) some shortcuts could\n"
         "     not be audited\n"
         "A reader that stops reading early (| head) ends the run quietly, status 0.\n"
         "\n"
#ifdef _WIN32
         "README.txt, beside varnlink-cli.exe, describes all of this in full.\n";
#else
         "The manual page varnlink-cli(1) describes all of this in full: man varnlink-cli\n";
#endif
}

CommandLine::Parsed CommandLine::Parse(const std::vector<std::string>& arguments) {
  CommandLine command;
  bool exe = false;
  bool non_exe = false;
  bool no_subfolders = false;
  bool options_ended = false;
  std::optional<OutputFormat> format;
  for (auto it = arguments.begin(); it != arguments.end(); ++it) {
    const std::string& argument = *it;
    if (options_ended || argument.size() < 2 || argument.front() != '-') {
      command.paths.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    // Every option is "--name value" or "--name=value" alike.
    std::string name = argument;
    std::optional<std::string> value;
    if (const std::size_t equals = argument.find('=');
        argument.starts_with("--") && equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    }
    if (name == "--format" || name == "--map" || name == "--env" || name == "--codepage" ||
        name == "--quarantine" || name == "--restore") {
      if (!value) {
        if (it + 1 == arguments.end()) {
          return {std::nullopt, name == "--format"
                                    ? "--format needs a FORMAT: text, jsonl, csv, details, bodyfile or timeline"
                                    : name + " needs a value"};
        }
        value = *++it;
      }
      if (name == "--format") {
        format = FormatNamed(*value);
        if (!format) {
          return {std::nullopt, "unknown format '" + *value + "': text, jsonl, csv, details, bodyfile or timeline"};
        }
        continue;
      }
      if (name == "--quarantine" || name == "--restore") {
        if (value->empty()) return {std::nullopt, name + " needs a folder"};
        if (command.quarantine) return {std::nullopt, "--quarantine and --restore go once, and not together"};
        command.quarantine = *value;
        if (name == "--restore") command.action = Action::kRestore;
        continue;
      }
      if (name == "--codepage") {
        const std::string error = audit::ReadCodePageOption(*value, command.options);
        if (!error.empty()) return {std::nullopt, error};
        continue;
      }
      const std::string error = name == "--map" ? AddDriveMapping(*value, command.target_check)
                                                : AddVariable(*value, command.target_check);
      if (!error.empty()) return {std::nullopt, error};
      command.options.check_targets = true;
      continue;
    }
    if (name == "--help" || name == "-h" || name == "--version") {
      if (value) return {std::nullopt, name + " takes no value"};
      command.action = name == "--version" ? Action::kVersion : Action::kHelp;
      return {std::move(command), {}};
    }
    const std::pair<std::string_view, bool*> flags[] = {
        {"--csv-excel", &command.csv_for_excel},
        {"--exe", &exe},
        {"--non-exe", &non_exe},
        {"--no-subfolders", &no_subfolders},
        {"--warn-duplicates", &command.options.warn_duplicate_targets},
        {"--warn-duplicate-arguments", &command.options.warn_duplicate_arguments},
        {"--check-targets", &command.options.check_targets},
        {"--warn-suspicious", &command.options.warn_suspicious},
        {"--jump-lists", &command.options.jump_lists},
        {"--dry-run", &command.dry_run},
    };
    const auto* flag = std::find_if(std::begin(flags), std::end(flags),
                                    [&](const auto& known) { return known.first == name; });
    if (flag == std::end(flags)) return {std::nullopt, "unknown option " + argument};
    if (value) return {std::nullopt, name + " takes no value"};
    *flag->second = true;
  }
  command.options.search_subfolders = !no_subfolders;
  if (exe && non_exe) return {std::nullopt, "--exe and --non-exe exclude each other"};
  if (command.csv_for_excel && format && *format != OutputFormat::kCsv) {
    return {std::nullopt, "--csv-excel goes with --format csv only"};
  }
  command.format =
      command.csv_for_excel ? OutputFormat::kCsv : format.value_or(OutputFormat::kText);
  command.options.target_filter = exe       ? audit::TargetFilter::kExe
                                 : non_exe ? audit::TargetFilter::kNonExe
                                           : audit::TargetFilter::kAll;
  if (command.action == Action::kRestore) {
    if (!command.paths.empty()) return {std::nullopt, "--restore takes no PATH"};
    if (command.dry_run) return {std::nullopt, "--dry-run goes with --quarantine only"};
    return {std::move(command), {}};
  }
  if (command.dry_run && !command.quarantine) {
    return {std::nullopt, "--dry-run goes with --quarantine only"};
  }
  if (command.quarantine) {
    command.options.check_targets = true;
#ifndef _WIN32
    // Without a drive given, C: is the Windows disk holding each PATH, and a
    // copied tree's targets would all be missing.
    const bool c_mapped = std::any_of(command.target_check.drives.begin(),
                                      command.target_check.drives.end(),
                                      [](const auto& drive) { return drive.first == 'C'; });
    if (!c_mapped) {
      return {std::nullopt,
              "--quarantine needs --map C:=FOLDER on Linux: it moves shortcuts only where it is "
              "told where their targets are"};
    }
#endif
  }
  if (command.paths.empty()) return {std::nullopt, "no PATH given"};
  for (const std::string& path : command.paths) {
    if (path.empty()) return {std::nullopt, "a PATH is empty"};
  }
  return {std::move(command), {}};
}

}  // namespace varnlink::app::cli
