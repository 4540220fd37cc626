// varnlink-cli on Linux: the audit without a window.

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
  const varnlink::platform::LinuxFileServices files;
  const varnlink::platform::LinuxFolderListing folders;
  return varnlink::app::cli::Main(std::vector<std::string>(argv + 1, argv + argc), files, folders,
                             std::cout, std::cerr);
}
