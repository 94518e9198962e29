// Start-up, the activation rule and the end of the program.
#include <gtest/gtest.h>

#include "sim_run.h"
#include "screen/texts.h"

using testing_support::CountInLog;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using vcl::SimWindowSystem;
using vcl::TWindowState;

namespace {

int WelcomeBoxes(const SimWindowSystem& sim) {
  int n = 0;
  for (const auto& [h, w] : sim.windows) n += w.is_box && w.text == WelcomeText("1.3") ? 1 : 0;
  return n;
}

TEST(StartUp, ShowsABlackTopMostMaximisedScreenAndEndsOnEscRelease) {
  SimWindowSystem sim = NoWelcomeSim();
  SimWindowSystem::Window seen;
  bool focused = false;
  sim.Then([&](SimWindowSystem& s) {
    seen = s.Screen();
    focused = s.focus == s.FormWindow();
  });
  sim.ThenKeyRelease(vcl::kVkEscape);

  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
  EXPECT_TRUE(seen.visible);
  EXPECT_TRUE(seen.topmost);
  EXPECT_EQ(seen.state, TWindowState::wsMaximized);
  EXPECT_EQ(seen.caption, "Velumen");
  EXPECT_TRUE(focused);
  ASSERT_FALSE(sim.fills.empty());
  // The first thing ever painted is black, and nothing else was painted.
  for (const auto& [time, colour] : sim.fills) EXPECT_EQ(colour, vcl::clBlack);
  EXPECT_EQ(sim.fills_outside_paint, 0);
  EXPECT_EQ(seen.normal_placement.left, 192);
  EXPECT_EQ(seen.normal_placement.top, 117);
  EXPECT_EQ(seen.normal_placement.Width(), 436);
  EXPECT_EQ(seen.normal_placement.Height(), 282);
}

TEST(StartUp, CreatesHiddenGoesTopMostThenShowsMaximisedOnce) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  std::vector<std::string> start(sim.log.begin(), sim.log.begin() + 3);
  EXPECT_EQ(start, (std::vector<std::string>{"CreateFormWindow 256", "SetTopmost 1",
                                             "ShowWindow 3"}));
  EXPECT_EQ(CountInLog(sim, "ShowWindow 3"), 1);
}

TEST(StartUp, ShowRequestDecidesHowTheScreenFirstShows) {
  struct Case {
    std::optional<int> show;
    const char* first_show;
  } cases[] = {{std::nullopt, "ShowWindow 3"}, {3, "ShowWindow 3"}, {1, "ShowWindow 3"},
               {10, "ShowWindow 3"}, {0, "ShowWindow 3"}, {7, "ShowWindow 7"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.show.value_or(-1));
    SimWindowSystem sim = NoWelcomeSim();
    sim.startup_show = c.show;
    sim.ThenRestoreFromTaskbar();
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_EQ(CountInLog(sim, c.first_show), 1);
  }
}

TEST(StartUp, MinimisedStartShowsNothingUntilRestoredThenTheNormalPlacementAndWelcome) {
  SimWindowSystem sim;
  sim.startup_show = vcl::kSwShowMinNoActive;
  int boxes_before_restore = -1;
  SimWindowSystem::Window before;
  SimWindowSystem::Window after;
  sim.Then([&](SimWindowSystem& s) {
    before = s.Screen();
    boxes_before_restore = WelcomeBoxes(s);
  });
  sim.ThenRestoreFromTaskbar();  // the welcome box opens now
  sim.Then([&](SimWindowSystem& s) { after = s.Screen(); });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);

  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_EQ(boxes_before_restore, 0);
  EXPECT_EQ(before.state, TWindowState::wsMinimized);
  EXPECT_EQ(after.state, TWindowState::wsNormal);
  EXPECT_EQ(WelcomeBoxes(sim), 1);
  EXPECT_EQ(CountInLog(sim, "ShowWindow 3"), 0) << "never maximised";
}

TEST(Activation, WelcomeShowsOnceWhateverHappensAfter) {
  SimWindowSystem sim;
  sim.ThenKeyPress(vcl::kVkReturn);  // dismiss the welcome box
  sim.ThenSwitchAway();
  sim.ThenSwitchBack();
  sim.ThenMinimizeFromTaskbar();
  sim.ThenRestoreFromTaskbar();
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("Look for the new version on the internet");
  sim.ThenRestoreFromTaskbar();
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("Black");
  sim.ThenKeyRelease(vcl::kVkEscape);

  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
  EXPECT_EQ(WelcomeBoxes(sim), 1);
}

TEST(Activation, FirstArgumentDecidesTheWelcome) {
  struct Case {
    const char* command_line;
    int boxes;
  } cases[] = {
      {"Vexo.exe", 1},
      {"Vexo.exe no_welcome", 0},
      {"Vexo.exe \"no_welcome\"", 0},
      {"Vexo.exe no_\"welcome\"", 0},
      {"Vexo.exe \"\" no_welcome", 0},
      {"\"C:\\Program Files\\Vexo.exe\" no_welcome", 0},
      {"Vexo.exe No_Welcome", 1},
      {"Vexo.exe no_welcome2", 1},
      {"Vexo.exe x no_welcome", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command_line);
    SimWindowSystem sim;
    sim.command_line = c.command_line;
    sim.ThenKeyPress(vcl::kVkReturn);
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_EQ(WelcomeBoxes(sim), c.boxes);
    EXPECT_EQ(sim.reg_calls.size(), 14u) << "the registry is written either way";
  }
}

TEST(Activation, WelcomeOpensBeforeTheMainLoopTakesAMessage) {
  SimWindowSystem sim;
  bool box_open_at_first_wait = false;
  sim.Then([&](SimWindowSystem& s) { box_open_at_first_wait = s.OpenBox() != 0; });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_TRUE(box_open_at_first_wait);
}

TEST(Ending, EveryCloseRequestEndsWithExitCodeZero) {
  struct Case {
    const char* name;
    std::function<void(SimWindowSystem&)> script;
  } cases[] = {
      {"Esc released", [](SimWindowSystem& s) { s.ThenKeyRelease(vcl::kVkEscape); }},
      {"Esc with modifiers",
       [](SimWindowSystem& s) { s.ThenKeyRelease(vcl::kVkEscape, {true, true, true}); }},
      {"Exit chosen",
       [](SimWindowSystem& s) {
         s.ThenRightClick({5, 5});
         s.ThenChoose("Exit");
       }},
      {"close request", [](SimWindowSystem& s) { s.ThenPost(vcl::MessageKind::kClose); }},
      {"Windows ends", [](SimWindowSystem& s) { s.ThenEndSession(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimWindowSystem sim = NoWelcomeSim();
    c.script(sim);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    EXPECT_EQ(CountInLog(sim, "DestroyFormWindow"), 1);
    EXPECT_EQ(CountInLog(sim, "ExitProcess 0"), 1);
    EXPECT_TRUE(sim.Screen().destroyed);
  }
}

TEST(Ending, QuitRequestIsQueuedAndTheScreenStaysUntilTheLoopEnds) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  auto at = [&](const std::string& entry) {
    return std::find(sim.log.begin(), sim.log.end(), entry) - sim.log.begin();
  };
  EXPECT_LT(at("PostQuitMessage 0"), at("DestroyFormWindow"));
  EXPECT_LT(at("DestroyFormWindow"), at("ExitProcess 0"));
  EXPECT_EQ(HomePage, "") << "released at the end";
  EXPECT_EQ(VersionText, "");
}

TEST(Ending, WindowsEndingInEveryStateGivesExitCodeZero) {
  struct Case {
    const char* name;
    std::function<void(SimWindowSystem&)> before;
  } cases[] = {
      {"welcome box open", [](SimWindowSystem&) {}},
      {"menu open",
       [](SimWindowSystem& s) {
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenRightClick({5, 5});
       }},
      {"about box open",
       [](SimWindowSystem& s) {
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenRightClick({5, 5});
         s.ThenChoose("About Velumen");
       }},
      {"animation running",
       [](SimWindowSystem& s) {
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenRightClick({5, 5});
         s.ThenChoose("White-Green animation");
         s.ThenAdvance(700);
       }},
      {"minimised",
       [](SimWindowSystem& s) {
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenMinimizeFromTaskbar();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimWindowSystem sim;
    c.before(sim);
    sim.ThenEndSession();
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    EXPECT_EQ(CountInLog(sim, "QueryEndSession 1"), 1);
    EXPECT_EQ(CountInLog(sim, "ExitProcess 0"), 1);
  }
}

}  // namespace
