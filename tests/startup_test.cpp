// Start-up, the activation rule and the end of the program.
#include <gtest/gtest.h>

#include "scripted_sim.h"
#include "screen/texts.h"

using testing_support::CountOnScreen;
using testing_support::Named;
using testing_support::OnScreen;
using testing_support::SameCalls;
using testing_support::Slice;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;
using vcl::TWindowState;

namespace {

int WelcomeBoxes(const ScriptedSim& sim) {
  int n = 0;
  for (const auto& [h, w] : sim.windows()) n += w.kind == ScriptedSim::Kind::kInfoBox && w.text == WelcomeText("1.3") ? 1 : 0;
  return n;
}

TEST(StartUp, ShowsABlackTopMostMaximisedScreenAndEndsOnEscRelease) {
  NoWelcomeSim sim;
  ScriptedSim::Window seen;
  bool focused = false;
  sim.Then([&](ScriptedSim& s) {
    seen = s.Screen();
    focused = s.focus() == s.FormWindow();
  });
  sim.ThenKeyRelease(vcl::kVkEscape);

  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
  EXPECT_TRUE(seen.visible);
  EXPECT_TRUE(seen.topmost);
  EXPECT_EQ(seen.state, TWindowState::wsMaximized);
  EXPECT_EQ(seen.caption, "Velumen");
  EXPECT_TRUE(focused);
  ASSERT_FALSE(sim.ScreenFills().empty());
  // The first thing ever painted is black, and nothing else was painted.
  for (const auto& [time, colour] : sim.ScreenFills()) EXPECT_EQ(colour, vcl::clBlack);
  EXPECT_EQ(sim.fills_outside_paint(), 0);
  EXPECT_EQ(seen.normal_placement.left, 192);
  EXPECT_EQ(seen.normal_placement.top, 117);
  EXPECT_EQ(seen.normal_placement.Width(), 436);
  EXPECT_EQ(seen.normal_placement.Height(), 282);
}

TEST(StartUp, CreatesHiddenGoesTopMostCloakedThenShowsMaximisedOnce) {
  NoWelcomeSim sim;
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  const std::vector<std::string> windows = {"RegisterFormClass", "CreateFormWindow", "SetTopmost",
                                            "SetCloaked", "ShowWindow"};
  EXPECT_TRUE(SameCalls(Slice(Named(sim.recorder.calls(), windows), 0, 5),
                        {"RegisterFormClass", "CreateFormWindow", OnScreen(sim, "SetTopmost", {true}),
                         OnScreen(sim, "SetCloaked", {true}), OnScreen(sim, "ShowWindow", {3LL})}));
  EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "ShowWindow", {3LL})), 1);
}

TEST(StartUp, ShowRequestDecidesHowTheScreenFirstShows) {
  struct Case {
    std::optional<int> show;
    long long first_show;
  } cases[] = {{std::nullopt, 3}, {3, 3}, {1, 3}, {10, 3}, {0, 3}, {7, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.show.value_or(-1));
    NoWelcomeSim sim;
    sim.process.startup_show = c.show;
    sim.ThenRestoreFromTaskbar();
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "ShowWindow", {c.first_show})), 1);
  }
}

TEST(StartUp, MinimisedStartShowsNothingUntilRestoredThenTheNormalPlacementAndWelcome) {
  // A failed write at start shows the error box first; closing it hands the
  // activation to the hidden screen, which must not count as its first focus.
  for (const int failing_call : {0, 5}) {
    SCOPED_TRACE(failing_call);
    ScriptedSim sim;
    sim.process.startup_show = vcl::kSwShowMinNoActive;
    sim.faults.failing_registry_call = failing_call;
    if (failing_call != 0) sim.ThenDismissMessageBox();
    int boxes_before_restore = -1;
    vcl::WindowHandle focus_before_restore = 0;
    ScriptedSim::Window before;
    ScriptedSim::Window after;
    sim.Then([&](ScriptedSim& s) {
      before = s.Screen();
      boxes_before_restore = WelcomeBoxes(s);
      focus_before_restore = s.GetFocus();
    });
    sim.ThenRestoreFromTaskbar();  // the welcome box opens now
    sim.Then([&](ScriptedSim& s) { after = s.Screen(); });
    sim.ThenKeyPress(vcl::kVkReturn);
    sim.ThenKeyRelease(vcl::kVkEscape);

    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    EXPECT_EQ(sim.message_boxes().size(), failing_call != 0 ? 1u : 0u);
    EXPECT_EQ(boxes_before_restore, 0);
    // None of ours has the keyboard focus while the program is minimised.
    EXPECT_EQ(focus_before_restore, 0u);
    EXPECT_EQ(before.state, TWindowState::wsMinimized);
    EXPECT_EQ(after.state, TWindowState::wsNormal);
    EXPECT_EQ(WelcomeBoxes(sim), 1);
    EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "ShowWindow", {3LL})), 0) << "never maximised";
  }
}

TEST(Activation, WelcomeShowsOnceWhateverHappensAfter) {
  ScriptedSim sim;
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
    ScriptedSim sim;
    sim.process.command_line = c.command_line;
    sim.ThenKeyPress(vcl::kVkReturn);
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_EQ(WelcomeBoxes(sim), c.boxes);
    EXPECT_EQ(sim.registry.calls.size(), 14u) << "the registry is written either way";
  }
}

TEST(Activation, WelcomeOpensBeforeTheMainLoopTakesAMessage) {
  ScriptedSim sim;
  bool box_open_at_first_wait = false;
  sim.Then([&](ScriptedSim& s) { box_open_at_first_wait = s.OpenBox() != 0; });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_TRUE(box_open_at_first_wait);
}

TEST(Ending, EveryCloseRequestEndsWithExitCodeZero) {
  struct Case {
    const char* name;
    std::function<void(ScriptedSim&)> script;
  } cases[] = {
      {"Esc released", [](ScriptedSim& s) { s.ThenKeyRelease(vcl::kVkEscape); }},
      {"Esc with modifiers",
       [](ScriptedSim& s) { s.ThenKeyRelease(vcl::kVkEscape, {true, true, true}); }},
      {"Exit chosen",
       [](ScriptedSim& s) {
         s.ThenRightClick({5, 5});
         s.ThenChoose("Exit");
       }},
      {"close request", [](ScriptedSim& s) { s.ThenPost(vcl::MessageKind::kClose); }},
      {"Windows ends", [](ScriptedSim& s) { s.ThenEndSession(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoWelcomeSim sim;
    c.script(sim);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    EXPECT_EQ(CountOnScreen(sim, "DestroyWindow"), 1);
    EXPECT_EQ(sim.recorder.Count({"ExitProcess", {0LL}}), 1);
    EXPECT_TRUE(sim.Screen().destroyed);
  }
}

TEST(Ending, QuitRequestIsQueuedAndTheScreenStaysUntilTheLoopEnds) {
  NoWelcomeSim sim;
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  const std::size_t quit = sim.recorder.Position({"PostQuitMessage", {0LL}});
  const std::size_t destroy = sim.recorder.Position(OnScreen(sim, "DestroyWindow", {}));
  const std::size_t exit = sim.recorder.Position({"ExitProcess", {0LL}});
  EXPECT_LT(quit, destroy);
  EXPECT_LT(destroy, exit);
  EXPECT_LT(exit, sim.recorder.calls().size());
  EXPECT_EQ(HomePage, "") << "released at the end";
  EXPECT_EQ(VersionText, "");
}

TEST(Ending, ACancelledEndOfTheSessionLeavesTheProgramRunning) {
  NoWelcomeSim sim;
  sim.ThenPost(vcl::MessageKind::kEndSession, false);
  bool running = false;
  sim.Then([&](ScriptedSim& s) { running = !s.Screen().destroyed; });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_TRUE(running);
  EXPECT_FALSE(sim.script_ran_out);
}

TEST(Ending, WindowsEndingInEveryStateGivesExitCodeZero) {
  struct Case {
    const char* name;
    std::function<void(ScriptedSim&)> before;
  } cases[] = {
      {"welcome box open", [](ScriptedSim&) {}},
      {"menu open",
       [](ScriptedSim& s) {
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenRightClick({5, 5});
       }},
      {"about box open",
       [](ScriptedSim& s) {
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenRightClick({5, 5});
         s.ThenChoose("About Velumen");
       }},
      {"animation running",
       [](ScriptedSim& s) {
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenRightClick({5, 5});
         s.ThenChoose("White-Green animation");
         s.ThenAdvance(700);
       }},
      {"minimised",
       [](ScriptedSim& s) {
         s.ThenKeyPress(vcl::kVkReturn);
         s.ThenMinimizeFromTaskbar();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedSim sim;
    c.before(sim);
    sim.ThenEndSession();
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    EXPECT_EQ(sim.session_end_answers(), std::vector<bool>{true});
    EXPECT_EQ(sim.recorder.Count({"ExitProcess", {0LL}}), 1);
  }
}

}  // namespace

namespace {

TEST(TaskbarEntry, TheScreenBearsItWithNothingVisibleAndTheShellCanMinimiseIt) {
  ScriptedSim sim;
  sim.ThenKeyPress(vcl::kVkReturn);  // the welcome box
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("Gray");
  std::vector<vcl::WindowHandle> buttons;
  sim.Then([&](ScriptedSim& s) { buttons = s.TaskbarButtons(); });
  sim.ThenMinimizeFromTaskbar();
  ScriptedSim::Window minimised;
  bool other_program_active = false;
  sim.Then([&](ScriptedSim& s) {
    minimised = s.Screen();
    other_program_active = s.active() == s.other_program;
  });
  sim.ThenRestoreFromTaskbar();
  ScriptedSim::Window restored;
  bool focused = false;
  sim.Then([&](ScriptedSim& s) {
    restored = s.Screen();
    focused = s.active() == s.FormWindow() && s.focus() == s.FormWindow();
  });
  sim.Then([](ScriptedSim& s) { s.CloseFromTaskbar(s.FormWindow()); });

  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
  EXPECT_EQ(buttons, std::vector<vcl::WindowHandle>{sim.FormWindow()});
  const vcl::WindowLook& look = sim.Screen().look;
  EXPECT_EQ(look.frame, vcl::FrameKind::kNone);
  EXPECT_TRUE(look.taskbar_entry);
  ASSERT_TRUE(sim.form_class().has_value());
  EXPECT_EQ(sim.form_class()->pointer, vcl::PointerShape::kArrow);
  EXPECT_EQ(minimised.state, TWindowState::wsMinimized);
  EXPECT_TRUE(other_program_active);
  EXPECT_EQ(restored.state, TWindowState::wsMaximized);
  EXPECT_TRUE(restored.topmost);
  EXPECT_EQ(restored.shown_color, kGrayColor);
  EXPECT_TRUE(focused);
  EXPECT_EQ(WelcomeBoxes(sim), 1) << "no second activation";
}

}  // namespace
