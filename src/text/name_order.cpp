#include "text/name_order.h"

#include <algorithm>
#include <utility>

#include "text/name_case.h"

namespace varnlink::text {

void SortAsListed(std::vector<std::string>& names) {
  std::vector<std::pair<std::u16string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) {
    std::u16string key = UpperCaseName(name);
    keyed.emplace_back(std::move(key), std::move(name));
  }
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}

}  // namespace varnlink::text
