#include "window/layout.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace varnlink::window {
namespace {

using enum Anchor;
using enum ControlId;
using enum ControlKind;

constexpr TwipsSize kDesignClientSize{11805, 8355};
constexpr int kDroppedDriveListHeight = 3000;

// The window at its design size, in tab order. Captions are as the user reads
// them, blanks included (".EXE Targets " ends with one). Above the report only
// its caption; everything below it moves down as the report grows.
// clang-format off
constexpr std::array kControls{
    Control{kAudit, "audit", kButton, "Audit", "", {120, 3240, 1335, 735}, kBelowReport, {}},
    Control{kDriveList, "drive_list", kDropDownList, "", "Drive", {120, 5880, 1335, 315},
            kBelowReport, {}},
    Control{kFolderList, "folder_list", kFolderTree, "", "Folders", {1680, 5880, 4575, 1890},
            kBelowReport, {}},
    Control{kShortcutList, "shortcut_list", kMultiSelectList, "", "Shortcuts",
            {6720, 6645, 3135, 1530}, kBelowReport, {}},
    Control{kChosenFolder, "chosen_folder", kField, "", "Directory Selected",
            {1680, 4200, 9015, 255}, kBelowReport, {}},
    Control{kChosenFolderCaption, "chosen_folder_caption", kCaption, "Directory Selected", "",
            {120, 4200, 1455, 255}, kBelowReport, {}},
    Control{kSelectedNamesCaption, "selected_names_caption", kCaption, "Shortcuts Selected", "",
            {120, 4680, 1575, 375}, kBelowReport, {}},
    Control{kSelectedNames, "selected_names", kTextList, "", "Shortcuts Selected",
            {1680, 4560, 4695, 645}, kBelowReport, {}},
    Control{kSearchSubfolders, "search_subfolders", kCheckBox, "Search Sub Directories", "",
            {6720, 4560, 2775, 495}, kBelowReport, {}},
    Control{kResultText, "result_text", kText, "", "Result", {5280, 3240, 3495, 375},
            kBelowReport, {}},
    Control{kCriteriaCaption, "criteria_caption", kCaption, "Select Search Criteria:", "",
            {120, 5640, 2535, 255}, kBelowReport, {}},
    Control{kWarnDuplicateTargets, "warn_duplicate_targets", kCheckBox,
            "Warn of Duplicate Targets", "", {6720, 5040, 3015, 375}, kBelowReport, {}},
    Control{kWarnDuplicateArguments, "warn_duplicate_arguments", kCheckBox,
            "Warn of Duplicate Targets WITH Duplicate Parameter Strings", "",
            {6720, 5520, 4815, 255}, kBelowReport, {}},
    Control{kWarnMissingTargets, "warn_missing_targets", kCheckBox, "Warn of Missing Targets", "",
            {6720, 5775, 4815, 255}, kBelowReport, {}},
    Control{kWarnSuspiciousShortcuts, "warn_suspicious_shortcuts", kCheckBox,
            "Warn of Suspicious Shortcuts", "", {6720, 6030, 4815, 255}, kBelowReport, {}},
    Control{kIncludeJumpLists, "include_jump_lists", kCheckBox, "Include Jump Lists", "",
            {6720, 6285, 4815, 255}, kBelowReport, {}},
    Control{kTargetFilter, "target_filter", kGroupBox, "Targets", "", {120, 6360, 1335, 1815},
            kBelowReport, {}},
    Control{kAllTargets, "all_targets", kOptionButton, "All Targets", "", {120, 240, 1095, 255},
            kFixed, kTargetFilter},
    Control{kExeTargets, "exe_targets", kOptionButton, ".EXE Targets ", "",
            {120, 600, 1095, 615}, kFixed, kTargetFilter},
    Control{kNonExeTargets, "non_exe_targets", kOptionButton, "Non .EXE Targets", "",
            {120, 1200, 1095, 495}, kFixed, kTargetFilter},
    Control{kPrint, "print", kButton, "Print", "", {1680, 3240, 1455, 735}, kBelowReport, {}},
    Control{kReportCaption, "report_caption", kCaption, "Results:", "", {120, 0, 1575, 375},
            kFixed, {}},
    Control{kReport, "report", kReportPane, "", "Results", {120, 360, 10575, 2775}, kGrows, {}},
    Control{kCopy, "copy", kButton, "Copy", "", {3360, 3240, 1455, 735}, kBelowReport, {}},
    // Right of the result line, level with Audit, Print and Copy, and ending
    // where the report ends: the only buttons that move files.
    Control{kQuarantine, "quarantine", kButton, "Quarantine…", "", {8880, 3240, 1815, 360},
            kBelowReport, {}},
    Control{kRestore, "restore", kButton, "Restore…", "", {8880, 3615, 1815, 360},
            kBelowReport, {}},
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

// A screen reader can name every control: by its caption, or else its label.
constexpr bool EveryControlNamedOnce() {
  for (const Control& control : kControls) {
    if (control.caption.empty() == control.label.empty()) return false;
  }
  return true;
}
static_assert(EveryControlNamedOnce());

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

std::string_view AccessibleName(const Control& control) {
  if (control.caption.empty()) return control.label;
  std::string_view name = control.caption;
  while (name.ends_with(' ')) name.remove_suffix(1);
  return name;
}

PixelRect Place(const Control& control, PixelSize client, int dpi) {
  PixelRect place = ToPixels(control.rect, dpi);
  const PixelSize design = ToPixels(kDesignClientSize, dpi);
  const int wider = std::max(0, client.width - design.width);
  const int taller = std::max(0, client.height - design.height);
  switch (control.anchor) {
    case kFixed:
      break;
    case kGrows:
      place.width += wider;
      place.height += taller;
      break;
    case kBelowReport:
      place.top += taller;
      break;
  }
  return place;
}

PixelRect PlaceInWindow(const Control& control, PixelSize client, int dpi) {
  PixelRect place = Place(control, client, dpi);
  if (control.parent) {
    const PixelRect box = Place(ControlOf(*control.parent), client, dpi);
    place.left += box.left;
    place.top += box.top;
  }
  return place;
}

}  // namespace varnlink::window
