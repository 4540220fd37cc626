// varnlink-cli: the headless front end of the Varnlink window.

#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_app.h"
#include "platform/posix/posix_file_services.h"
#include "platform/posix/posix_folder_listing.h"

int main(int argc, char** argv) {
  // The report's CR LF must reach stdout unchanged; nothing here translates.
  std::ios::sync_with_stdio(false);
  // Buffer stderr too (a run may warn tens of thousands of times); Main
  // flushes it whatever the outcome.
  std::cerr.unsetf(std::ios_base::unitbuf);
  const varnlink::platform::PosixFileServices files;
  const varnlink::platform::PosixFolderListing folders;
  return varnlink::cli::Main(std::vector<std::string>(argv + 1, argv + argc), files, folders,
                             std::cout, std::cerr);
}
