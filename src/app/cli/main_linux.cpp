// varnlink-cli on Linux: the audit without a window.

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_app.h"
#include "platform/linux/linux_file_services.h"
#include "platform/linux/linux_folder_listing.h"

int main(int argc, char** argv) {
  // The report's CR LF must reach stdout unchanged; nothing here translates.
  std::ios::sync_with_stdio(false);
  // Buffer stderr too (a run may warn tens of thousands of times); Main
  // flushes it whatever the outcome.
  std::cerr.unsetf(std::ios_base::unitbuf);
  // A reader that closes the pipe early (`| head`) then makes a write fail
  // with EPIPE, which ends the run quietly, instead of a signal that would
  // lose what stderr holds. Set here whatever disposition was inherited.
  std::signal(SIGPIPE, SIG_IGN);
  const varnlink::platform::LinuxFileServices files(/*keep_folder_open=*/true);
  const varnlink::platform::LinuxFolderListing folders;
  return varnlink::app::cli::Main(std::vector<std::string>(argv + 1, argv + argc), files, folders,
                             std::cout, std::cerr);
}
