#include "window/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnlink::window {
namespace {

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// Pairs of top-level controls whose places overlap, named "a+b".
std::vector<std::string> OverlappingPairs(PixelSize client, int dpi) {
  std::vector<std::string> pairs;
  const auto controls = Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const Control& a = controls[i];
      const Control& b = controls[j];
      if (a.id == b.parent || b.id == a.parent) continue;  // a group box holds its buttons
      if (Overlap(PlaceInWindow(a, client, dpi), PlaceInWindow(b, client, dpi)))
        pairs.push_back(std::string(a.name) + "+" + std::string(b.name));
    }
  }
  return pairs;
}

struct Growth {
  int dpi;
  int wider;   // pixels beyond the design width at this dpi
  int taller;  // and beyond its height
};

void PrintTo(const Growth& g, std::ostream* out) {
  *out << g.dpi << "dpi+" << g.wider << "x" << g.taller;
}

class LayoutGrowth : public ::testing::TestWithParam<Growth> {};

// The report takes the extra room; everything below it keeps its distance
// from the report's bottom edge and the window's left edge, so no control
// comes to overlap another that it does not overlap at the design size.
TEST_P(LayoutGrowth, TheReportTakesTheExtraRoomAndTheRestMovesDownWithIt) {
  const Growth g = GetParam();
  const PixelSize design = ToPixels(DesignClientSize(), g.dpi);
  const PixelSize client{design.width + g.wider, design.height + g.taller};
  const PixelRect report = Place(ControlOf(ControlId::kReport), client, g.dpi);
  const PixelRect report_design = Place(ControlOf(ControlId::kReport), design, g.dpi);
  for (const Control& control : Controls()) {
    const PixelRect at_design = Place(control, design, g.dpi);
    const PixelRect grown = Place(control, client, g.dpi);
    if (control.id == ControlId::kReport) {
      EXPECT_EQ(grown.width, at_design.width + g.wider);
      EXPECT_EQ(grown.height, at_design.height + g.taller);
    } else if (!control.parent && at_design.top >= report_design.top + report_design.height) {
      EXPECT_EQ(grown.top - (report.top + report.height),
                at_design.top - (report_design.top + report_design.height))
          << control.name;
      EXPECT_EQ(grown.left, at_design.left) << control.name;
      EXPECT_EQ(grown.width, at_design.width) << control.name;
      EXPECT_EQ(grown.height, at_design.height) << control.name;
    } else {
      EXPECT_EQ(grown, at_design) << control.name;
    }
    const PixelRect in_window = PlaceInWindow(control, client, g.dpi);
    EXPECT_TRUE(in_window.left >= 0 && in_window.top >= 0 &&
                in_window.left + in_window.width <= client.width &&
                in_window.top + in_window.height <= client.height)
        << control.name << " lies outside the window";
  }
  EXPECT_EQ(OverlappingPairs(client, g.dpi), OverlappingPairs(design, g.dpi));
  EXPECT_EQ(OverlappingPairs(design, g.dpi), OverlappingPairs(ToPixels(DesignClientSize()), 96));
}

// The overlaps the window has always had and no more: a control added or moved lands on none.
TEST(Layout, OnlyTheDesignsOwnControlsOverlap) {
  EXPECT_EQ(OverlappingPairs(ToPixels(DesignClientSize()), kDesignDpi),
            (std::vector<std::string>{"drive_list+criteria_caption", "folder_list+criteria_caption",
                                      "selected_names_caption+selected_names",
                                      "search_subfolders+warn_duplicate_targets",
                                      "exe_targets+non_exe_targets", "report_caption+report"}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, LayoutGrowth,
                         ::testing::Values(Growth{96, 0, 0}, Growth{96, 1, 1},
                                           Growth{96, 1600 - 787, 1000 - 557},
                                           Growth{96, 1920 - 787, 0}, Growth{96, 0, 700},
                                           Growth{120, 300, 200}, Growth{144, 0, 0},
                                           Growth{192, 1920 - 1574, 6}));

// At 200 % each place is exactly twice its place at the design's 96 dpi.
TEST(Layout, At200PercentEachPlaceIsTwiceItsDesignPlace) {
  for (const Control& control : Controls()) {
    const PixelRect one = Place(control, ToPixels(DesignClientSize()));
    EXPECT_EQ(Place(control, ToPixels(DesignClientSize(), 192), 192),
              (PixelRect{2 * one.left, 2 * one.top, 2 * one.width, 2 * one.height}))
        << control.name;
  }
}

}  // namespace
}  // namespace varnlink::window
