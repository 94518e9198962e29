// The two web page commands.
#include <gtest/gtest.h>

#include "scripted_sim.h"

using testing_support::OnScreen;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;
using vcl::TWindowState;

namespace {

const char* const kWebEntries[] = {"Look for the new version on the internet",
                                   "Download more free Tavik's utilities"};

TEST(Web, BothEntriesOpenTheHomePageThenMinimise) {
  for (bool shell_fails : {false, true}) {
    for (const char* entry : kWebEntries) {
      SCOPED_TRACE(std::string(entry) + (shell_fails ? ", no browser" : ""));
      NoWelcomeSim sim;
      sim.faults.shell_finds_no_program = shell_fails;
      sim.ThenRightClick({10, 10});
      sim.ThenChoose(entry);
      TWindowState state{};
      sim.Then([&](ScriptedSim& s) { state = s.Screen().state; });
      sim.ThenRestoreFromTaskbar();
      sim.ThenKeyRelease(vcl::kVkEscape);
      EXPECT_EQ(RunProgram(sim), 0);

      ASSERT_EQ(sim.shell.calls.size(), 1u);
      const auto& call = sim.shell.calls[0];
      EXPECT_EQ(call.owner, 0u);
      EXPECT_FALSE(call.operation.has_value());
      EXPECT_EQ(call.file, std::optional<std::string>("http://www.korvanta.example/eng/"));
      EXPECT_FALSE(call.parameters.has_value());
      EXPECT_FALSE(call.directory.has_value());
      EXPECT_EQ(call.show_command, vcl::kSwShowNormal);
      EXPECT_EQ(state, TWindowState::wsMinimized);
      EXPECT_EQ(sim.message_boxes().size(), 0u) << "nothing is reported";

      // Stop, shell call, then the minimise request.
      EXPECT_LT(sim.recorder.Position("ShellExecute"),
                sim.recorder.Position(OnScreen(sim, "ShowWindow", {6LL})));
      EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "ShowWindow", {6LL})), 1);
      EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "ShowWindow", {2LL})), 0);
    }
  }
}

TEST(Web, StopsTheAnimationAndRestoresMaximisedWithItsColour) {
  NoWelcomeSim sim;
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("White-Green animation");
  sim.ThenAdvance(500);  // green
  sim.ThenRightClick({10, 10});
  sim.ThenChoose(kWebEntries[1]);
  sim.ThenAdvance(3000);
  sim.ThenRestoreFromTaskbar();
  ScriptedSim::Window restored;
  bool focused = false;
  sim.Then([&](ScriptedSim& s) {
    restored = s.Screen();
    focused = s.focus() == s.FormWindow();
  });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_EQ(restored.state, TWindowState::wsMaximized);
  EXPECT_TRUE(restored.topmost);
  EXPECT_EQ(restored.shown_color, kGreenColor);
  EXPECT_EQ(sim.ScreenFills().back().second, kGreenColor);
  EXPECT_TRUE(focused);
}

TEST(Web, MinimisesAgainAfterARestoreButNeverAsksTwice) {
  NoWelcomeSim sim;
  sim.ThenRightClick({10, 10});
  sim.ThenChoose(kWebEntries[0]);
  // Still minimised: a second request would be one too many.
  sim.Then([](ScriptedSim&) { Form1->SetWindowState(TWindowState::wsMinimized); });
  sim.ThenRestoreFromTaskbar();
  sim.ThenRightClick({10, 10});
  sim.ThenChoose(kWebEntries[1]);
  sim.ThenRestoreFromTaskbar();
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_EQ(sim.shell.calls.size(), 2u);
  EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "ShowWindow", {6LL})), 2);
}

}  // namespace
