#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnlink::text {

// `names` (UTF-8) sorted as Windows lists the names of an NTFS folder: by
// their UpperCaseName (text/name_case.h), so "b.lnk" comes before "C.lnk" and
// "_x" after "Z". Names alike but for case (possible on Linux) are ordered by
// their bytes, so the order is total and the same on every run and system.
void SortAsListed(std::vector<std::string>& names);

}  // namespace varnlink::text
