#include "fuzz/audit_input.h"

#include <algorithm>

namespace varnlink::fuzz {

audit::AuditOptions AuditInput::Options() const {
  audit::AuditOptions options;
  switch (choices & 0x3) {
    case 1: options.target_filter = audit::TargetFilter::kExe; break;
    case 2: options.target_filter = audit::TargetFilter::kNonExe; break;
    default: options.target_filter = audit::TargetFilter::kAll; break;
  }
  options.warn_duplicate_targets = (choices & 0x04) != 0;
  options.warn_duplicate_arguments = (choices & 0x08) != 0;
  options.check_targets = (choices & 0x10) != 0;
  options.warn_suspicious = true;  // the checks run on every input
  return options;
}

AuditInput ParseAuditInput(std::span<const std::uint8_t> data) {
  AuditInput input;
  input.shortcut = data;
  const std::size_t fixed = kTrailerMagic.size() + 1;
  if (data.size() < fixed) return input;
  const auto magic = data.subspan(data.size() - kTrailerMagic.size());
  if (!std::equal(magic.begin(), magic.end(), kTrailerMagic.begin())) return input;
  input.choices = data[data.size() - fixed];
  input.shortcut = data.first(data.size() - fixed);
  return input;
}

std::string MakeAuditInput(std::span<const std::uint8_t> shortcut, std::uint8_t choices) {
  std::string out(shortcut.begin(), shortcut.end());
  out += static_cast<char>(choices);
  out += kTrailerMagic;
  return out;
}

}  // namespace varnlink::fuzz
