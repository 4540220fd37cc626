#include "lnk/app_ids.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace varnlink::lnk {
namespace {

// AppIDs as they name jump list files, lower case without leading zeros,
// sorted. The same program has a different AppID for each install path, so
// these are the usual paths' ones.
constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kAppNames = {{
    {"12dc1ea8e34b5a6", "Microsoft Paint"},
    {"1b4dd67f29cb1962", "Windows Explorer Pinned and Recent"},
    {"1bc392b8e104a00e", "Remote Desktop Connection"},
    {"1ced32d74a95c7bc", "Visual Studio Code"},
    {"28c8b86deab549a1", "Internet Explorer"},
    {"590aee7bdd69b59b", "Windows PowerShell"},
    {"5d696d521de238c3", "Google Chrome"},
    {"5f7b5f1e01b83767", "Windows Explorer Quick Access"},
    {"7e4dca80246863e3", "Control Panel"},
    {"918e0ecb43d17e23", "Notepad (32-bit)"},
    {"9839aec31243a928", "Microsoft Excel 2010"},
    {"9b9cdc69c1c24e2b", "Notepad (64-bit)"},
    {"9c7cc110ff56d1bd", "Microsoft PowerPoint 2010"},
    {"a7bd71699cd38d1c", "Microsoft Word 2010"},
    {"ccba5a5986c77e43", "Microsoft Edge"},
    {"f01b4d95cf55d32a", "Windows Explorer"},
}};

}  // namespace

std::optional<std::string_view> AppName(std::string_view app_id) {
  std::string key;
  for (const char c : app_id) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    const bool hex = (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f');
    if (!hex) return std::nullopt;
    if (key.empty() && lower == '0') continue;
    key.push_back(lower);
  }
  const auto hit = std::lower_bound(kAppNames.begin(), kAppNames.end(), key,
                                    [](const auto& row, const std::string& k) { return row.first < k; });
  if (hit == kAppNames.end() || hit->first != key) return std::nullopt;
  return hit->second;
}

}  // namespace varnlink::lnk
