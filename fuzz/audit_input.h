#pragma once

// How fuzz_audit_shortcut reads its input. Any shortcut file is a whole input
// on its own, audited with the default choices, so real shortcuts can start
// the fuzzer as they are. An input that ends with the four bytes "VARN"
// carries the choices before them:
//
//   [shortcut bytes][choices: u8]["VARN"]
//
// choices bits: 0-1 target filter (0 all, 1 .EXE, 2 non-.EXE, 3 all),
// 2 warn of duplicate targets, 3 warn of duplicate targets with arguments,
// 4 check for missing targets, 5 check them as the running Windows system,
// 6 "/" instead of "\" as separator, 7 audit the shortcut a second time under
// another path (so the duplicate checks can hit). The suspicious-shortcut
// checks are always on.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "audit/audit_options.h"

namespace varnlink::fuzz {

inline constexpr std::string_view kTrailerMagic = "VARN";

struct AuditInput {
  std::span<const std::uint8_t> shortcut;
  std::uint8_t choices = 0x04;  // default: warn of duplicate targets

  [[nodiscard]] audit::AuditOptions Options() const;
  [[nodiscard]] bool LiveWindows() const { return (choices & 0x20) != 0; }
  [[nodiscard]] bool Slash() const { return (choices & 0x40) != 0; }
  [[nodiscard]] bool Twice() const { return (choices & 0x80) != 0; }
};

[[nodiscard]] AuditInput ParseAuditInput(std::span<const std::uint8_t> data);

// Builds an input with a trailer; make_seeds writes these.
[[nodiscard]] std::string MakeAuditInput(std::span<const std::uint8_t> shortcut,
                                         std::uint8_t choices);

}  // namespace varnlink::fuzz
