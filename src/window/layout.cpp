#include "window/layout.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace varnlink::window {
namespace {

using enum ControlId;
using enum ControlKind;

constexpr TwipsSize kDesignClientSize{11805, 8355};
constexpr int kDroppedDriveListHeight = 3000;

// The window at its design size, in tab order. Captions are as the user reads
// them, blanks included (".EXE Targets " ends with one).
// clang-format off
constexpr std::array kControls{
    Control{kAudit, "audit", kButton, "Audit", {120, 3240, 1335, 735}, {}},
    Control{kDriveList, "drive_list", kDropDownList, "", {120, 5880, 1335, 315}, {}},
    Control{kFolderList, "folder_list", kFolderTree, "", {1680, 5880, 4575, 1890}, {}},
    Control{kShortcutList, "shortcut_list", kMultiSelectList, "", {6720, 5880, 3135, 2040}, {}},
    Control{kChosenFolder, "chosen_folder", kField, "", {1680, 4200, 9015, 255}, {}},
    Control{kChosenFolderCaption, "chosen_folder_caption", kCaption, "Directory Selected",
            {120, 4200, 1455, 255}, {}},
    Control{kSelectedNamesCaption, "selected_names_caption", kCaption, "Shortcuts Selected",
            {120, 4680, 1575, 375}, {}},
    Control{kSelectedNames, "selected_names", kTextList, "", {1680, 4560, 4695, 645}, {}},
    Control{kSearchSubfolders, "search_subfolders", kCheckBox, "Search Sub Directories",
            {6720, 4560, 2775, 495}, {}},
    Control{kResultText, "result_text", kText, "", {5280, 3240, 3495, 375}, {}},
    Control{kCriteriaCaption, "criteria_caption", kCaption, "Select Search Criteria:",
            {120, 5640, 2535, 255}, {}},
    Control{kWarnDuplicateTargets, "warn_duplicate_targets", kCheckBox,
            "Warn of Duplicate Targets", {6720, 5040, 3015, 375}, {}},
    Control{kWarnDuplicateArguments, "warn_duplicate_arguments", kCheckBox,
            "Warn of Duplicate Targets WITH Duplicate Parameter Strings", {6720, 5520, 4815, 255},
            {}},
    Control{kTargetFilter, "target_filter", kGroupBox, "Targets", {120, 6360, 1335, 1815}, {}},
    Control{kAllTargets, "all_targets", kOptionButton, "All Targets", {120, 240, 1095, 255},
            kTargetFilter},
    Control{kExeTargets, "exe_targets", kOptionButton, ".EXE Targets ", {120, 600, 1095, 615},
            kTargetFilter},
    Control{kNonExeTargets, "non_exe_targets", kOptionButton, "Non .EXE Targets",
            {120, 1200, 1095, 495}, kTargetFilter},
    Control{kPrint, "print", kButton, "Print", {1680, 3240, 1455, 735}, {}},
    Control{kReportCaption, "report_caption", kCaption, "Results:", {120, 0, 1575, 375}, {}},
    Control{kReport, "report", kReportPane, "", {120, 360, 10575, 2775}, {}},
    Control{kCopy, "copy", kButton, "Copy", {3360, 3240, 1455, 735}, {}},
};
// clang-format on

// The table's own rules, checked as it compiles: one row per id, the ids
// numbering from kAudit without gaps, and a group box listed before the
// controls it holds, which lie inside it.
constexpr bool EveryIdOnce() {
  int last = 0;
  for (const Control& control : kControls) last = std::max(last, static_cast<int>(control.id));
  for (int id = static_cast<int>(kAudit); id <= last; ++id) {
    int rows = 0;
    for (const Control& control : kControls) rows += static_cast<int>(control.id) == id ? 1 : 0;
    if (rows != 1) return false;
  }
  return kControls.size() == static_cast<std::size_t>(last - static_cast<int>(kAudit) + 1);
}
static_assert(EveryIdOnce());

constexpr bool ChildrenInsideTheirGroupBox() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (!kControls[i].parent) continue;
    bool inside = false;
    for (std::size_t p = 0; p < i; ++p) {
      const Control& box = kControls[p];
      if (box.id != *kControls[i].parent || box.kind != kGroupBox) continue;
      const TwipsRect& r = kControls[i].rect;
      inside = r.left >= 0 && r.top >= 0 && r.left + r.width <= box.rect.width &&
               r.top + r.height <= box.rect.height;
    }
    if (!inside) return false;
  }
  return true;
}
static_assert(ChildrenInsideTheirGroupBox());

}  // namespace

TwipsSize DesignClientSize() { return kDesignClientSize; }

int DroppedDriveListHeight() { return kDroppedDriveListHeight; }

std::span<const Control> Controls() { return kControls; }

const Control& ControlOf(ControlId id) {
  for (const Control& control : kControls) {
    if (control.id == id) return control;
  }
  throw std::out_of_range("the window has no control " + std::to_string(static_cast<int>(id)));
}

TwipsRect WindowRect(const Control& control) {
  TwipsRect rect = control.rect;
  if (control.parent) {
    const TwipsRect& box = ControlOf(*control.parent).rect;
    rect.left += box.left;
    rect.top += box.top;
  }
  return rect;
}

}  // namespace varnlink::window
