#pragma once

#include <optional>
#include <string>
#include <vector>

#include "audit/audit_options.h"
#include "checks/target_check.h"

namespace varnlink::app::cli {

// What varnlink-cli writes to standard output.
enum class OutputFormat {
  kText,       // the report, as the window's Copy hands it over
  kJsonLines,  // one record per shortcut, a JSON object per line
  kCsv,        // one record per shortcut, a CSV row each
  kDetails,    // the records for people: a field per line, grouped by the link's parts
  kBodyFile,   // what the shortcuts date, a line per dated thing of a body file for mactime
  kTimeline,   // what the shortcuts date, a CSV row per time for timeline viewers
};

// What varnlink-cli was asked to do, read from its arguments. It checks only
// the form of the arguments; what each path is (a shortcut, a folder, or the
// older FOLDER NAME... form) is the run's business.
struct CommandLine {
  enum class Action { kAudit, kHelp, kVersion, kRestore };

  Action action = Action::kAudit;
  std::vector<std::string> paths;  // the PATHs, in the order given; empty only for kRestore
  audit::AuditOptions options;
  OutputFormat format = OutputFormat::kText;
  bool csv_for_excel = false;  // with kCsv: a byte-order mark and no formulas
  checks::TargetCheckSettings target_check;  // --map and --env
  // --quarantine DIR (an audit that moves the shortcuts whose targets are
  // not there into DIR), or with kRestore, --restore DIR.
  std::optional<std::string> quarantine;
  bool dry_run = false;  // with --quarantine: list what would move, move nothing

  // The command line, or the reason it is not one (bad usage).
  struct Parsed;
  [[nodiscard]] static Parsed Parse(const std::vector<std::string>& arguments);
};

struct CommandLine::Parsed {
  std::optional<CommandLine> command;
  std::string error;  // set when `command` is not
};

// The text of --help.
[[nodiscard]] std::string UsageText();

}  // namespace varnlink::app::cli
