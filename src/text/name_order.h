#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnlink::text {

// `names` (UTF-8) sorted as Windows lists the names of an NTFS folder: by
// their UTF-16 code units after simple upper-casing each, so "b.lnk" comes
// before "C.lnk" and "_x" after "Z". Names alike but for case (possible on
// Linux) are ordered by their bytes, so the order is total and the same on
// every run and every system.
void SortAsListed(std::vector<std::string>& names);

// The upper-cased UTF-16 form the order compares first.
[[nodiscard]] std::u16string ListingKey(std::string_view name);

}  // namespace varnlink::text
