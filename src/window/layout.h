#pragma once

// The main window described once: every control's id, kind, caption and place
// at the design size, in tab order. Both windows (Qt and Win32) create and
// place their controls from this table and from nothing else. It says nothing
// of how a toolkit draws a kind of control or what a control does; the window
// model holds the state, the front ends the drawing.

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
  // The design place. A control in a group box (`parent`) is placed relative
  // to the group box's top left corner; every other one relative to the
  // window's client area.
  TwipsRect rect;
  std::optional<ControlId> parent;
};

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels at 96 dots per inch, rounded to the nearest pixel (halves
// away from zero). The design's numbers are all multiples of 15 twips.
[[nodiscard]] constexpr int TwipsToPixels(int twips) {
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                    : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

[[nodiscard]] constexpr PixelRect ToPixels(const TwipsRect& rect) {
  return {TwipsToPixels(rect.left), TwipsToPixels(rect.top), TwipsToPixels(rect.width),
          TwipsToPixels(rect.height)};
}

[[nodiscard]] constexpr PixelSize ToPixels(const TwipsSize& size) {
  return {TwipsToPixels(size.width), TwipsToPixels(size.height)};
}

// The client area's size before the window is maximised.
[[nodiscard]] TwipsSize DesignClientSize();

// Every control, in tab order. A group box comes before the controls it holds.
// Which of them take the focus: IsTabStop.
[[nodiscard]] std::span<const Control> Controls();

// The table's row for `id`. Every id has one; a number cast to ControlId
// that is none throws std::out_of_range.
[[nodiscard]] const Control& ControlOf(ControlId id);

// `control`'s place in the window's client area: its own rectangle, moved by
// its group box's corner when it sits in one.
[[nodiscard]] TwipsRect WindowRect(const Control& control);

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
