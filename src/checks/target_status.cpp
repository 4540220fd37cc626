#include "checks/target_status.h"

namespace varnlink::checks {

std::string_view OutcomeName(TargetOutcome outcome) {
  switch (outcome) {
    case TargetOutcome::kFound:
      return "found";
    case TargetOutcome::kMissing:
      return "missing";
    case TargetOutcome::kNotChecked:
      return "not_checked";
  }
  return {};
}

std::string_view ReasonName(NotCheckedReason reason) {
  switch (reason) {
    case NotCheckedReason::kShellNamespace:
      return "shell_namespace";
    case NotCheckedReason::kPackagedApp:
      return "packaged_app";
    case NotCheckedReason::kAddress:
      return "address";
    case NotCheckedReason::kNetworkPath:
      return "network_path";
    case NotCheckedReason::kUnmappedDrive:
      return "unmapped_drive";
    case NotCheckedReason::kNoMedium:
      return "no_medium";
    case NotCheckedReason::kUnknownVariable:
      return "unknown_variable";
    case NotCheckedReason::kRelativePath:
      return "relative_path";
    case NotCheckedReason::kShortName:
      return "short_name";
    case NotCheckedReason::kEmpty:
      return "empty";
  }
  return {};
}

}  // namespace varnlink::checks
