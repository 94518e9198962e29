// An exception that escapes a handler is reported and the program goes on.
#include <gtest/gtest.h>

#include "platform/exception.h"
#include "screen/texts.h"
#include "scripted_sim.h"

using testing_support::kAny;
using testing_support::OnScreen;
using testing_support::SameCalls;
using testing_support::Slice;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;

namespace {

TEST(ErrorReport, EachPlaceThatCallsAHandlerReportsAndGoesOn) {
  struct Case {
    const char* name;
    std::function<void(ScriptedSim&)> provoke;
  } cases[] = {
      {"key release",
       [](ScriptedSim& s) {
         s.Then([](ScriptedSim&) {
           Form1->OnKeyUp = [](vcl::TObject*, vcl::VirtualKey&, vcl::TShiftState) {
             throw vcl::Exception("Key handler failed");
             };
         });
         s.ThenKeyRelease('A');
       }},
      {"menu choice",
       [](ScriptedSim& s) {
         s.faults.refuse_timers = true;
         s.ThenRightClick({1, 1});
         s.ThenChoose("White-Green animation");
       }},
      {"timer tick",
       [](ScriptedSim& s) {
         s.Then([](ScriptedSim&) {
           Form1->Timer1->SetOnTimer([](vcl::TObject*) { throw std::runtime_error("tick"); });
           Form1->Timer1->SetEnabled(true);
         });
         s.ThenAdvance(500);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoWelcomeSim sim;
    c.provoke(sim);
    sim.Then([](ScriptedSim& s) { s.SystemCapturesMouse(s.FormWindow()); });
    ScriptedSim::Window screen_during;
    vcl::WindowHandle box_window = 0;
    sim.Then([&](ScriptedSim& s) {
      screen_during = s.Screen();
      box_window = s.active();
    });
    sim.ThenDismissMessageBox();
    ScriptedSim::Window screen_after;
    bool screen_active_and_focused = false;
    sim.Then([&](ScriptedSim& s) {
      screen_after = s.Screen();
      screen_active_and_focused = s.active() == s.FormWindow() && s.focus() == s.FormWindow();
      Form1->OnKeyUp = [](vcl::TObject*, vcl::VirtualKey& key, vcl::TShiftState) {
        if (key == vcl::kVkEscape) Form1->Close();
      };
      Form1->Timer1->SetEnabled(false);
    });
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    ASSERT_EQ(sim.message_boxes().size(), 1u);
    const auto& box = sim.message_boxes()[0];
    EXPECT_EQ(box.caption, "Velumen");
    EXPECT_EQ(box.flags, vcl::kMbOk | vcl::kMbIconStop);
    EXPECT_EQ(box.owner, sim.FormWindow());
    EXPECT_EQ(box_window, box.window) << "the box is active";
    EXPECT_FALSE(screen_during.enabled);
    EXPECT_FALSE(screen_during.topmost);
    EXPECT_TRUE(screen_after.enabled);
    EXPECT_TRUE(screen_after.topmost);
    EXPECT_TRUE(screen_active_and_focused);
    // From the box straight back to the screen: no other program in between.
    const auto box_at = std::find(sim.activations().begin(), sim.activations().end(), box.window);
    ASSERT_NE(box_at, sim.activations().end());
    ASSERT_NE(box_at + 1, sim.activations().end());
    EXPECT_EQ(*(box_at + 1), sim.FormWindow());
  }
}

TEST(ErrorReport, AtStartUpTheBoxIsOwnedByTheHiddenScreenAndTheStartGoesOn) {
  ScriptedSim sim;
  sim.faults.failing_registry_call = 5;  // setting "prisoten"
  std::vector<vcl::WindowHandle> buttons_during;
  bool screen_visible_during = true;
  bool screen_topmost_during = true;
  bool box_topmost_during = true;
  sim.Then([&](ScriptedSim& s) {
    buttons_during = s.TaskbarButtons();
    screen_visible_during = s.Screen().visible;
    // Hidden, the screen is still out of the band: the box it owns would
    // float above every other program's windows otherwise.
    screen_topmost_during = s.Screen().topmost;
    box_topmost_during = s.windows().at(s.active()).topmost;
  });
  sim.ThenDismissMessageBox();
  bool welcome_after = false;
  bool screen_shown_after = false;
  sim.Then([&](ScriptedSim& s) {
    welcome_after = s.OpenBox() != 0 && s.windows().at(s.OpenBox()).text == WelcomeText("1.3");
    screen_shown_after = s.Screen().visible && s.Screen().state == vcl::TWindowState::wsMaximized;
  });
  sim.ThenKeyPress(vcl::kVkReturn);
  bool screen_topmost_at_last = false;
  sim.Then([&](ScriptedSim& s) { screen_topmost_at_last = s.Screen().visible && s.Screen().topmost; });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  ASSERT_EQ(sim.message_boxes().size(), 1u);
  EXPECT_EQ(sim.message_boxes()[0].text, "Failed to set data for 'prisoten'");
  EXPECT_EQ(sim.message_boxes()[0].owner, sim.FormWindow());
  EXPECT_TRUE(buttons_during.empty()) << "no taskbar button of the box's own";
  EXPECT_FALSE(screen_visible_during);
  EXPECT_FALSE(screen_topmost_during);
  EXPECT_FALSE(box_topmost_during);
  EXPECT_TRUE(welcome_after);
  EXPECT_TRUE(screen_shown_after);
  EXPECT_TRUE(screen_topmost_at_last);
}

TEST(ErrorReport, WhileAnotherProgramIsActiveAnOpenBoxIsDisabledToo) {
  ScriptedSim sim;  // the welcome box is open
  sim.Then([](ScriptedSim&) {
    Form1->Timer1->SetOnTimer([](vcl::TObject*) { throw vcl::Exception("tick"); });
    Form1->Timer1->SetEnabled(true);
  });
  sim.ThenSwitchAway();
  sim.ThenAdvance(500);
  bool box_enabled_during = true;
  sim.Then([&](ScriptedSim& s) {
    box_enabled_during = s.windows().at(s.OpenBox()).enabled;
    Form1->Timer1->SetEnabled(false);
  });
  sim.ThenDismissMessageBox();
  bool box_enabled_after = false;
  sim.Then([&](ScriptedSim& s) { box_enabled_after = s.windows().at(s.OpenBox()).enabled; });
  sim.ThenSwitchBack();
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
  ASSERT_EQ(sim.message_boxes().size(), 1u);
  EXPECT_EQ(sim.message_boxes()[0].owner, sim.FormWindow());
  EXPECT_FALSE(box_enabled_during);
  EXPECT_TRUE(box_enabled_after);
}

TEST(ErrorReport, CancelsMouseCaptureBeforeTheBox) {
  NoWelcomeSim sim;
  sim.faults.refuse_timers = true;
  sim.ThenRightClick({1, 1});
  sim.Then([](ScriptedSim& s) { s.SystemCapturesMouse(s.FormWindow()); });
  sim.ThenChoose("White-Green animation");
  sim.ThenDismissMessageBox();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  const auto& calls = sim.recorder.calls();
  const std::size_t menu = sim.recorder.Position("TrackPopupMenu");
  const std::size_t box = sim.recorder.Position("MessageBox");
  ASSERT_LT(box, calls.size());
  ASSERT_LT(calls[menu].returned_at, box);
  // The screen is the box's owner: the box disables it itself.
  EXPECT_TRUE(SameCalls(Slice(calls, calls[menu].returned_at, box),
                        {OnScreen(sim, "Invalidate", {false}), OnScreen(sim, "SetTimer", {kAny, 500LL}),
                         OnScreen(sim, "SendCancelMode", {}),
                         OnScreen(sim, "SetTopmost", {false})}));
}

}  // namespace
