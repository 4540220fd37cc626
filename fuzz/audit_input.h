#pragma once

// How fuzz_audit_shortcut reads its input. Any shortcut file is a whole input
// on its own, audited with the default window choices, so real shortcuts can
// start the fuzzer as they are. An input that ends with the four bytes "VARN" carries
// a trailer before them:
//
//   [shortcut bytes][earlier report bytes][report length: u16 LE][choices: u8]["VARN"]
//
// choices bits: 0 Option2, 1 Option3, 2-3 Check2 value (0, 1, 2, -1),
// 4-5 Check3 value, 6 "/" instead of "\" as separator, 7 audit the shortcut
// a second time under another path (so the duplicate checks can hit).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varnlink::fuzz {

inline constexpr std::string_view kTrailerMagic = "VARN";

struct AuditInput {
  std::span<const std::uint8_t> shortcut;
  std::string_view earlier_report;  // raw bytes; the target makes report-like lines of them
  std::uint8_t choices = 0x05;      // default: Option2 clear, Check2 ticked
};

[[nodiscard]] AuditInput ParseAuditInput(std::span<const std::uint8_t> data);

// Builds an input with a trailer; make_seeds writes these.
[[nodiscard]] std::string MakeAuditInput(std::span<const std::uint8_t> shortcut,
                                         std::string_view earlier_report, std::uint8_t choices);

}  // namespace varnlink::fuzz
