#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/command_line.h"
#include "platform/file_mover.h"
#include "platform/file_services.h"
#include "platform/folder_listing.h"

namespace varnlink::app::cli {

// The whole program once the platform is set up: parses `arguments` (without
// the program's name), answers --help and --version or runs the audit, and
// returns the exit status: 0 every shortcut under the paths was audited, 1 a
// failure ended the run, 2 bad usage, 3 the run completed but is partial: a
// folder was passed over, or (records) some shortcuts could not be audited.
// A reader that closed `out` early (EPIPE) ends the run quietly, 0.
//
// The audit is the window's audit run, called directly. In text the report
// goes to `out` exactly as the window's Copy would hand it over, and message
// boxes go to `err`; in JSON Lines or CSV there is one record per shortcut,
// also for one that cannot be audited and for each folder passed over, and
// `err` holds only the folders passed over. Either way output is written as
// it is made, then `err` gets the result line or the failure that ended the
// run. Everything written to `err` is flushed before it returns.
//
// --quarantine moves shortcuts through `mover` as the audit hands each on
// (a refusal before the run is status 2); --restore puts them back, listing
// each on `out`, 3 when some stay in quarantine.
[[nodiscard]] int Main(const std::vector<std::string>& arguments,
                       const platform::FileServices& files, const platform::FolderListing& folders,
                       std::ostream& out, std::ostream& err,
                       const platform::FileMover& mover = platform::SystemFileMover());

}  // namespace varnlink::app::cli
