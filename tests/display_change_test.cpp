// A change of the screen's size: the maximised test screen covers the new
// screen exactly, in its colour, top-most, with the focus; the normal
// placement stays.
#include <gtest/gtest.h>

#include "scripted_sim.h"

using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;

namespace {

bool SameRect(const vcl::Rect& a, const vcl::Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DisplayChange, MaximisedScreenCoversTheNewScreenNormalPlacementStays) {
  struct Case {
    const char* name;
    bool minimised_start;
    int width, height;
  } cases[] = {
      {"smaller", false, 800, 600},
      {"larger", false, 1280, 1024},
      {"normal placement, smaller", true, 800, 600},
      {"normal placement, larger", true, 1280, 1024},
  };
  const vcl::Rect normal{192, 117, 192 + 436, 117 + 282};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoWelcomeSim sim;
    if (c.minimised_start) {
      sim.process.startup_show = vcl::kSwShowMinNoActive;
      sim.ThenRestoreFromTaskbar();
    }
    sim.ThenRightClick({200, 130});  // on the screen in either placement
    sim.ThenChoose("Gray");
    const int width = c.width, height = c.height;
    sim.Then([width, height](ScriptedSim& s) { s.ChangeDisplayMode(width, height); });
    vcl::Rect rect;
    bool topmost = false, focused = false, active = false;
    std::optional<vcl::TColor> shown;
    sim.Then([&](ScriptedSim& s) {
      rect = s.WindowRect(s.FormWindow());
      topmost = s.Screen().topmost;
      focused = s.focus() == s.FormWindow();
      active = s.active() == s.FormWindow();
      shown = s.Screen().shown_color;
    });
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    const vcl::Rect expected = c.minimised_start ? normal : vcl::Rect{0, 0, width, height};
    EXPECT_TRUE(SameRect(rect, expected))
        << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(focused);
    EXPECT_TRUE(active);
    EXPECT_EQ(shown, std::optional<vcl::TColor>(0xC0C0C0));
  }
}

TEST(DisplayChange, MinimisedScreenComesBackOverTheNewScreen) {
  NoWelcomeSim sim;
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("Look for the new version on the internet");
  sim.Then([](ScriptedSim& s) { s.ChangeDisplayMode(1280, 1024); });
  sim.ThenRestoreFromTaskbar();
  vcl::Rect rect;
  sim.Then([&](ScriptedSim& s) { rect = s.WindowRect(s.FormWindow()); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_TRUE(SameRect(rect, {0, 0, 1280, 1024}));
}

}  // namespace
