#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/command_line.h"
#include "platform/file_services.h"
#include "platform/folder_listing.h"

namespace varnlink::app::cli {

// The whole program once the platform is set up: parses `arguments` (without
// the program's name), answers --help and --version or runs the audit, and
// returns the exit status: 0 the run completed, 1 a failure ended it, 2 bad
// usage.
//
// The audit is the window's audit run, called directly: the report goes to
// `out` exactly as the window's Copy would hand it over, entry by entry as it
// is made; message boxes, then the result line or the failure that ended the
// run, go to `err`, one line each. Everything written to `err` is flushed
// before it returns.
[[nodiscard]] int Main(const std::vector<std::string>& arguments,
                       const platform::FileServices& files, const platform::FolderListing& folders,
                       std::ostream& out, std::ostream& err);

}  // namespace varnlink::app::cli
