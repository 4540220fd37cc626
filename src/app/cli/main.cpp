// varnlink-cli: the headless front end of the Varnlink window.

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_app.h"
#include "app/cli/command_line.h"
#include "platform/posix/posix_file_services.h"
#include "platform/posix/posix_folder_listing.h"

int main(int argc, char** argv) {
  using varnlink::cli::CommandLine;
  // The report's CR LF must reach stdout unchanged; nothing here translates.
  std::ios::sync_with_stdio(false);
  // Buffer stderr too: the run flushes it when it ends, whatever the outcome.
  std::cerr.unsetf(std::ios_base::unitbuf);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const CommandLine::Parsed parsed = CommandLine::Parse(arguments);
  if (!parsed.command) {
    std::cerr << "varnlink-cli: " << parsed.error << "\n"
              << "Try 'varnlink-cli --help' for more information.\n"
              << std::flush;
    return 2;
  }
  switch (parsed.command->action) {
    case CommandLine::Action::kHelp:
      std::cout << varnlink::cli::UsageText() << std::flush;
      return std::cout ? 0 : 1;
    case CommandLine::Action::kVersion:
      std::cout << "varnlink-cli 1.0 (Varnlink V1.0)\n" << std::flush;
      return std::cout ? 0 : 1;
    case CommandLine::Action::kAudit:
      break;
  }
  try {
    varnlink::platform::PosixFileServices files;
    varnlink::platform::PosixFolderListing folders;
    return varnlink::cli::CliApp(files, folders, std::cout, std::cerr).Run(*parsed.command);
  } catch (const std::exception& e) {
    std::cerr << "varnlink-cli: " << e.what() << '\n' << std::flush;
    return 1;
  }
}
