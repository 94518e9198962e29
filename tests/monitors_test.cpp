// Several monitors: the screen maximises on the primary, and the boxes and
// the menu show on the monitor that shows the screen.
#include <gtest/gtest.h>

#include "platform/exception.h"
#include "platform/sim/sim_monitors.h"
#include "screen/texts.h"
#include "scripted_sim.h"

using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;
using vcl::Rect;

namespace {

// Two monitors of different sizes; the primary first, at the origin.
struct Layout {
  const char* name;
  std::vector<Rect> monitors;
} const kLayouts[] = {
    {"primary left, a larger one right", {{0, 0, 1024, 768}, {1024, 0, 2304, 1024}}},
    {"primary right, a smaller one left", {{0, 0, 1280, 1024}, {-800, 200, 0, 800}}},
    {"a wider one above", {{0, 0, 1024, 768}, {-300, -900, 1300, 0}}},
};

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string Show(const Rect& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// A started program whose screen the person has moved to `monitor`.
struct OnMonitor : NoWelcomeSim {
  OnMonitor(const Layout& layout, std::size_t monitor) {
    monitors = layout.monitors;
    if (monitor != 0) Then([monitor](ScriptedSim& s) { s.MoveToMonitor(s.FormWindow(), monitor); });
  }
};

TEST(Monitors, TheScreenCoversThePrimaryWhateverLiesAroundIt) {
  for (const Layout& layout : kLayouts) {
    SCOPED_TRACE(layout.name);
    OnMonitor sim(layout, 0);
    Rect covered;
    sim.Then([&](ScriptedSim& s) { covered = s.WindowRect(s.FormWindow()); });
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_EQ(Show(covered), Show(layout.monitors[0]));
  }
}

TEST(Monitors, TheBoxIsLaidOutAndCentredOnTheMonitorThatShowsTheScreen) {
  for (const Layout& layout : kLayouts) {
    for (std::size_t on = 0; on < 2; ++on) {
      SCOPED_TRACE(std::string(layout.name) + ", the screen on monitor " + std::to_string(on));
      const Rect& m = layout.monitors[on];
      OnMonitor sim(layout, on);
      sim.ThenRightClick({m.left + 10, m.top + 10});
      sim.ThenChoose("How to use the program");
      vcl::InfoBoxGeometry box;
      int measured_at = 0;
      sim.Then([&](ScriptedSim& s) {
        box = s.windows().at(s.OpenBox()).box.geometry;
        measured_at = s.text_widths().back();
      });
      sim.ThenKeyPress(vcl::kVkReturn);
      sim.ThenKeyRelease(vcl::kVkEscape);
      EXPECT_EQ(RunProgram(sim), 0);
      EXPECT_FALSE(sim.script_ran_out);

      EXPECT_EQ(measured_at, m.Width() / 2) << "wrapped at half the monitor's width";
      const vcl::Size text = sim.MeasureText(HowToText(), m.Width() / 2);
      EXPECT_EQ(box.text.Width(), text.cx);
      EXPECT_EQ(box.text.Height(), text.cy);
      EXPECT_EQ(box.window.left, m.left + (m.Width() - box.window.Width()) / 2);
      EXPECT_EQ(box.window.top, m.top + (m.Height() - box.window.Height()) / 2);
    }
  }
}

TEST(Monitors, TheErrorBoxShowsOnTheMonitorOfTheActiveWindow) {
  for (const Layout& layout : kLayouts) {
    for (std::size_t on = 0; on < 2; ++on) {
      SCOPED_TRACE(std::string(layout.name) + ", the screen on monitor " + std::to_string(on));
      OnMonitor sim(layout, on);
      sim.Then([](ScriptedSim&) {
        Form1->OnKeyUp = [](vcl::TObject*, vcl::VirtualKey& key, vcl::TShiftState) {
          if (key == vcl::kVkEscape) Form1->Close();
          if (key == 'A') throw vcl::Exception("Key handler failed");
        };
      });
      sim.ThenKeyRelease('A');
      Rect shown;
      sim.Then([&](ScriptedSim& s) { shown = s.WindowRect(s.message_boxes().at(0).window); });
      sim.ThenDismissMessageBox();
      sim.ThenKeyRelease(vcl::kVkEscape);
      EXPECT_EQ(RunProgram(sim), 0);
      EXPECT_FALSE(sim.script_ran_out);
      EXPECT_TRUE(Inside(shown, layout.monitors[on])) << Show(shown);
    }
  }
}

TEST(Monitors, TheMenuOpensWhereAskedAndStaysOnTheScreensMonitor) {
  for (const Layout& layout : kLayouts) {
    for (std::size_t on = 0; on < 2; ++on) {
      SCOPED_TRACE(std::string(layout.name) + ", the screen on monitor " + std::to_string(on));
      const Rect& m = layout.monitors[on];
      OnMonitor sim(layout, on);
      const vcl::Point corner{m.right - 3, m.bottom - 3};
      sim.ThenRightClick(corner);
      sim.ThenCancelMenu();
      sim.ThenKeyRelease(vcl::kVkApps);
      sim.ThenCancelMenu();
      sim.ThenKeyRelease(vcl::kVkEscape);
      EXPECT_EQ(RunProgram(sim), 0);
      ASSERT_EQ(sim.menus().size(), 2u);
      EXPECT_EQ(sim.menus()[0].point.x, corner.x);
      EXPECT_EQ(sim.menus()[0].point.y, corner.y);
      EXPECT_TRUE(Inside(sim.menus()[0].placed, m)) << Show(sim.menus()[0].placed);
      // The menu key opens it at the screen's top-left corner.
      EXPECT_EQ(sim.menus()[1].point.x, m.left);
      EXPECT_EQ(sim.menus()[1].point.y, m.top);
    }
  }
}

TEST(Monitors, WhichMonitorARectangleOrAPointIsOn) {
  const std::vector<Rect> two = {{0, 0, 1024, 768}, {-800, 200, 0, 800}};
  using vcl::NoMonitor;
  EXPECT_EQ(vcl::MonitorOfRect(two, {-500, 300, 100, 400}, NoMonitor::kPrimary), 1u)
      << "the monitor it overlaps most";
  EXPECT_EQ(vcl::MonitorOfRect(two, {-2000, 300, -1900, 400}, NoMonitor::kPrimary), 0u);
  EXPECT_EQ(vcl::MonitorOfRect(two, {-2000, 300, -1900, 400}, NoMonitor::kNearest), 1u);
  EXPECT_EQ(vcl::MonitorOfPoint(two, {-1, 200}, NoMonitor::kPrimary), 1u);
  EXPECT_EQ(vcl::MonitorOfPoint(two, {0, 0}, NoMonitor::kPrimary), 0u);
  EXPECT_EQ(vcl::MonitorOfPoint(two, {-100, 150}, NoMonitor::kPrimary), 0u) << "on none";
  EXPECT_EQ(vcl::MonitorOfPoint(two, {-100, 150}, NoMonitor::kNearest), 1u);
  EXPECT_EQ(Show(vcl::KeptOn(two[1], {-50, 700, 200, 900})), Show({-250, 600, 0, 800}));
}

}  // namespace
