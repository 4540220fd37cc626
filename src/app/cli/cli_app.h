#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/command_line.h"
#include "platform/file_services.h"
#include "platform/folder_listing.h"

namespace varnlink::cli {

// Drives the window model headless: sets the folder as opening it in the
// folder list would, the selection, the options and check boxes, presses
// "Audit" and writes what the window would show. The report goes to `out`
// exactly as "Copy" would hand it over; message boxes, then the result line
// or the failure that ended the run, go to `err`, one line each. Printing and
// copying do not exist here.
class CliApp {
 public:
  CliApp(const platform::FileServices& files, const platform::FolderListing& folders,
         std::ostream& out, std::ostream& err);

  // The exit status: 0 the run completed, 1 a failure ended it.
  [[nodiscard]] int Run(const CommandLine& command);

 private:
  const platform::FileServices& files_;
  const platform::FolderListing& folders_;
  std::ostream& out_;
  std::ostream& err_;
};

// The whole program once the platform is set up: parses `arguments` (without
// the program's name), answers --help and --version or runs the audit, and
// returns the exit status (2 for bad usage). Everything written to `err` is
// flushed before it returns.
[[nodiscard]] int Main(const std::vector<std::string>& arguments,
                       const platform::FileServices& files, const platform::FolderListing& folders,
                       std::ostream& out, std::ostream& err);

}  // namespace varnlink::cli
