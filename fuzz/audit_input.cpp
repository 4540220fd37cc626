#include "fuzz/audit_input.h"

#include <algorithm>

namespace varnlink::fuzz {

AuditInput ParseAuditInput(std::span<const std::uint8_t> data) {
  AuditInput input;
  input.shortcut = data;
  const std::size_t fixed = kTrailerMagic.size() + 3;
  if (data.size() < fixed) return input;
  const auto magic = data.subspan(data.size() - kTrailerMagic.size());
  if (!std::equal(magic.begin(), magic.end(), kTrailerMagic.begin())) return input;
  const auto trailer = data.subspan(data.size() - fixed, 3);
  const std::size_t report_length = std::min<std::size_t>(
      static_cast<std::size_t>(trailer[0] | (trailer[1] << 8)), data.size() - fixed);
  input.choices = trailer[2];
  const std::size_t shortcut_length = data.size() - fixed - report_length;
  input.shortcut = data.first(shortcut_length);
  const auto report = data.subspan(shortcut_length, report_length);
  input.earlier_report = {reinterpret_cast<const char*>(report.data()), report.size()};
  return input;
}

std::string MakeAuditInput(std::span<const std::uint8_t> shortcut, std::string_view earlier_report,
                           std::uint8_t choices) {
  std::string out(shortcut.begin(), shortcut.end());
  const std::size_t length = std::min<std::size_t>(earlier_report.size(), 0xFFFF);
  out.append(earlier_report.substr(0, length));
  out += static_cast<char>(length & 0xFF);
  out += static_cast<char>(length >> 8);
  out += static_cast<char>(choices);
  out += kTrailerMagic;
  return out;
}

}  // namespace varnlink::fuzz
