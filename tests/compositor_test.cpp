// The compositor never shows the test screen in another colour than its own:
// not at start, not after a minimised start, not around the boxes.
#include <gtest/gtest.h>

#include <functional>

#include "scripted_sim.h"

using testing_support::CountOnScreen;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;

namespace {

struct Scenario {
  const char* name;
  std::function<void(ScriptedSim&)> script;
};

TEST(Compositor, EveryComposedFrameOfTheScreenIsItsColour) {
  const Scenario scenarios[] = {
      {"welcome box at start",
       [](ScriptedSim& s) {
         s.process.command_line = "Vexo.exe";
         s.ThenKeyPress(vcl::kVkReturn);
       }},
      {"no welcome", [](ScriptedSim&) {}},
      {"minimised start, restored with the welcome box",
       [](ScriptedSim& s) {
         s.process.command_line = "Vexo.exe";
         s.process.startup_show = vcl::kSwShowMinNoActive;
         s.ThenRestoreFromTaskbar();
         s.ThenKeyPress(vcl::kVkReturn);
       }},
      {"about and how-to boxes",
       [](ScriptedSim& s) {
         s.ThenRightClick({10, 10});
         s.ThenChoose("About Velumen");
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenRightClick({10, 10});
         s.ThenChoose("How to use the program");
         s.ThenClickBoxButton();
       }},
      {"failed registry write: the error box before the screen",
       [](ScriptedSim& s) {
         s.faults.failing_registry_call = 1;
         s.ThenDismissMessageBox();
       }},
      {"minimised from the task bar and back",
       [](ScriptedSim& s) {
         s.ThenMinimizeFromTaskbar();
         s.ThenRestoreFromTaskbar();
       }},
  };
  for (const Scenario& sc : scenarios) {
    SCOPED_TRACE(sc.name);
    NoWelcomeSim sim;
    sc.script(sim);
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    int screen_frames = 0;
    for (const auto& frame : sim.frames()) {
      if (frame.window != sim.FormWindow()) continue;
      ++screen_frames;
      EXPECT_EQ(frame.color, vcl::clBlack) << "at " << frame.time << " ms";
    }
    // It was on the screen, and the cloak is gone.
    EXPECT_GT(screen_frames, 0);
    EXPECT_FALSE(sim.Screen().cloaked);
  }
}

TEST(Compositor, WithoutOneTheScreenShowsAsBefore) {
  ScriptedSim sim;
  sim.faults.no_compositor = true;
  bool box_over_black = false;
  sim.Then([&](ScriptedSim& s) {
    box_over_black = s.OpenBox() != 0 && s.Screen().visible && s.Screen().shown_color &&
                     *s.Screen().shown_color == vcl::clBlack;
  });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
  EXPECT_TRUE(box_over_black);
  // Asked once, refused, and not asked again.
  EXPECT_EQ(CountOnScreen(sim, "SetCloaked"), 1);
}

}  // namespace
