#pragma once

// The main window described once: every control's id, kind, caption, place at
// the design size and how it follows a larger window, in tab order. Both
// windows (Qt and Win32) create and place their controls from this table and
// from nothing else. It says nothing of how a toolkit draws a kind of control
// or what a control does; the window model holds the state, the front ends the
// drawing.

#include <optional>
#include <span>
#include <string_view>

namespace varnlink::window {

// Every control of the window. The numbers are the Win32 control ids; the Qt
// window names its widgets by Control::name.
enum class ControlId : int {
  kAudit = 101,
  kDriveList,
  kFolderList,
  kShortcutList,
  kChosenFolder,
  kChosenFolderCaption,
  kSelectedNamesCaption,
  kSelectedNames,
  kSearchSubfolders,
  kResultText,
  kCriteriaCaption,
  kWarnDuplicateTargets,
  kWarnDuplicateArguments,
  kTargetFilter,
  kAllTargets,
  kExeTargets,
  kNonExeTargets,
  kPrint,
  kReportCaption,
  kReport,
  kCopy,
  kWarnMissingTargets,
  kWarnSuspiciousShortcuts,
  kIncludeJumpLists,
  kQuarantine,
  kRestore,
};

enum class ControlKind {
  kCaption,     // fixed text
  kText,        // the model's text, as a caption shows it (result_text)
  kField,       // the model's text on a sunken white field (chosen_folder)
  kReportPane,  // the report: read-only, scrolled both ways
  kButton,      // a push button
  kCheckBox,
  kGroupBox,         // a captioned frame holding option buttons
  kOptionButton,     // one choice of its group box; one tab stop per group
  kDropDownList,     // a list that drops down for a choice (drives)
  kFolderTree,       // the folder tree around the open folder
  kTextList,         // texts to read, nothing to select (selected_names)
  kMultiSelectList,  // texts to select, Shift and Ctrl extending (shortcut_list)
};

// How a control follows the window when its client area is larger than the
// design size (the design size is the smallest it gets).
enum class Anchor {
  kFixed,        // keeps its design place (in its group box, for one in a group box)
  kGrows,        // takes the extra width and height: the report
  kBelowReport,  // keeps its distance from the report's bottom edge and the window's left edge
};

// A rectangle in twips: 1440 to the inch, 15 to the pixel at 96 dots per inch.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend constexpr bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

struct TwipsSize {
  int width = 0;
  int height = 0;
};

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
  int width = 0;
  int height = 0;
};

struct Control {
  ControlId id;
  std::string_view name;  // "shortcut_list": the Qt object name
  ControlKind kind;
  std::string_view caption;  // empty where the model gives the text or there is none
  // What a screen reader calls a control without a caption ("Results").
  std::string_view label;
  // The design place. A control in a group box (`parent`) is placed relative
  // to the group box's top left corner; every other one relative to the
  // window's client area.
  TwipsRect rect;
  Anchor anchor;
  std::optional<ControlId> parent;
};

inline constexpr int kTwipsPerInch = 1440;
// The design's pixels: 15 twips each.
inline constexpr int kDesignDpi = 96;

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel (halves
// away from zero). At the design's 96 the numbers, all multiples of 15 twips,
// come out exact.
[[nodiscard]] constexpr int TwipsToPixels(int twips, int dpi = kDesignDpi) {
  const long long doubled = 2LL * twips * dpi;
  return static_cast<int>(doubled >= 0 ? (doubled + kTwipsPerInch) / (2 * kTwipsPerInch)
                                       : -((-doubled + kTwipsPerInch) / (2 * kTwipsPerInch)));
}

// Each edge is rounded, not the width and height, so that controls that touch
// at the design size still touch at any scale.
[[nodiscard]] constexpr PixelRect ToPixels(const TwipsRect& rect, int dpi = kDesignDpi) {
  const int left = TwipsToPixels(rect.left, dpi);
  const int top = TwipsToPixels(rect.top, dpi);
  return {left, top, TwipsToPixels(rect.left + rect.width, dpi) - left,
          TwipsToPixels(rect.top + rect.height, dpi) - top};
}

[[nodiscard]] constexpr PixelSize ToPixels(const TwipsSize& size, int dpi = kDesignDpi) {
  return {TwipsToPixels(size.width, dpi), TwipsToPixels(size.height, dpi)};
}

// The client area's size before the window is maximised, and the smallest it
// gets: the layout table's own size.
[[nodiscard]] TwipsSize DesignClientSize();

// Every control, in tab order. A group box comes before the controls it holds.
// Which of them take the focus: IsTabStop.
[[nodiscard]] std::span<const Control> Controls();

// The table's row for `id`. Every id has one; a number cast to ControlId
// that is none throws std::out_of_range.
[[nodiscard]] const Control& ControlOf(ControlId id);

// The name a screen reader gives `control`: its caption without trailing
// blanks, or its label.
[[nodiscard]] std::string_view AccessibleName(const Control& control);

// `control`'s place in a client area of `client` pixels at `dpi` dots per
// inch, in its group box's coordinates when it sits in one, else in the client
// area's. The design places are scaled to `dpi`; any width and height of
// `client` beyond the design size (scaled likewise) go to the report, and the
// controls below it move down with its bottom edge. Smaller client areas get
// the design places.
[[nodiscard]] PixelRect Place(const Control& control, PixelSize client, int dpi = kDesignDpi);

// The same place in the client area's coordinates: moved by its group box's
// corner when it sits in one.
[[nodiscard]] PixelRect PlaceInWindow(const Control& control, PixelSize client,
                                      int dpi = kDesignDpi);

// The drive list's height with its list dropped down (Win32 sizes a drop-down
// list so; closed, its height follows its font).
[[nodiscard]] int DroppedDriveListHeight();

// Whether Tab stops at a control of this kind. The option buttons of a group
// box take one stop together: the one chosen.
[[nodiscard]] constexpr bool IsTabStop(ControlKind kind) {
  switch (kind) {
    case ControlKind::kCaption:
    case ControlKind::kText:
    case ControlKind::kField:
    case ControlKind::kGroupBox:
      return false;
    default:
      return true;
  }
}

}  // namespace varnlink::window
