// The pop-up menu and the keys of the test screen.
#include <gtest/gtest.h>

#include "scripted_sim.h"

using testing_support::kAny;
using testing_support::OnScreen;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;

namespace {

TEST(Menu, HasTheTwelveEntriesInOrder) {
  NoWelcomeSim sim;
  sim.ThenRightClick({300, 200});
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  ASSERT_EQ(sim.menus().size(), 1u);
  std::vector<std::string> captions;
  for (const vcl::MenuEntry& e : sim.menus()[0].entries) captions.push_back(e.separator ? "-" : e.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{
                          "Black", "Gray", "Green", "White", "White-Green animation", "-",
                          "About Velumen", "How to use the program",
                          "Look for the new version on the internet",
                          "Download more free Tavik's utilities", "-", "Exit"}));
}

TEST(Menu, OpensAtEachRightButtonReleasePoint) {
  NoWelcomeSim sim;
  sim.ThenRightButtonPressOnly({50, 60});
  sim.ThenRightClick({300, 200});
  sim.ThenCancelMenu();
  sim.ThenRightClick({1020, 765});
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  ASSERT_EQ(sim.menus().size(), 2u);
  EXPECT_EQ(sim.menus()[0].point.x, 300);
  EXPECT_EQ(sim.menus()[0].point.y, 200);
  EXPECT_EQ(sim.menus()[1].point.x, 1020);
  EXPECT_EQ(sim.menus()[1].point.y, 765);
}

TEST(Menu, ReleaseCancelsAnyMouseCaptureFirst) {
  NoWelcomeSim sim;
  sim.Then([](ScriptedSim& s) { s.SystemCapturesMouse(s.FormWindow()); });
  sim.ThenRightClick({3, 3});
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_LT(sim.recorder.Position(OnScreen(sim, "SendCancelMode", {})),
            sim.recorder.Position("TrackPopupMenu"));
}

TEST(Menu, KeyboardOpeningRules) {
  struct Case {
    const char* name;
    vcl::VirtualKey key;
    vcl::TShiftState shift;
    bool opens;
  } cases[] = {
      {"menu key", vcl::kVkApps, {}, true},
      {"menu key with Shift and Ctrl", vcl::kVkApps, {true, true, false}, true},
      {"menu key with Alt", vcl::kVkApps, {false, false, true}, false},
      {"F10", 121, {true, false, false}, false},
      {"Enter", vcl::kVkReturn, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoWelcomeSim sim;
    sim.ThenKeyRelease(c.key, c.shift);
    if (c.opens) sim.ThenCancelMenu();
    sim.ThenPost(vcl::MessageKind::kContextMenu);  // what the system makes of it
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    ASSERT_EQ(sim.menus().size(), c.opens ? 1u : 0u);
    if (c.opens) {
      EXPECT_EQ(sim.menus()[0].point.x, 0);
      EXPECT_EQ(sim.menus()[0].point.y, 0);
    }
  }
}

TEST(Menu, ChosenEntryRunsOnceAfterTheMenuHasClosed) {
  NoWelcomeSim sim;
  int runs = 0;
  std::size_t ran_at = 0;
  std::vector<vcl::MessageKind> running_inside;
  sim.Then([&](ScriptedSim& s) {
    vcl::TNotifyEvent gray = Form1->Gray->OnClick;
    Form1->Gray->OnClick = [&s, &runs, &ran_at, &running_inside, gray](vcl::TObject* sender) {
      ++runs;
      ran_at = s.recorder.calls().size();
      running_inside = s.dispatching();
      gray(sender);
    };
  });
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("Gray");
  vcl::TColor after_choice = 0;
  sim.Then([&](ScriptedSim&) { after_choice = Form1->Color(); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(after_choice, kGrayColor);
  const std::size_t menu = sim.recorder.Position("TrackPopupMenu");
  ASSERT_LT(menu, sim.recorder.calls().size());
  EXPECT_LE(sim.recorder.calls()[menu].returned_at, ran_at);
  // Its own command message, not inside the release that opened the menu.
  EXPECT_EQ(running_inside, std::vector<vcl::MessageKind>{vcl::MessageKind::kCommand});
  // The repaint of the new colour comes after the menu closed.
  ASSERT_GE(sim.ScreenFills().size(), 2u);
  EXPECT_EQ(sim.ScreenFills().back().second, kGrayColor);
}

TEST(Menu, SeparatorsAreSeparatorLinesThatRunNothing) {
  NoWelcomeSim sim;
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("-");  // the system offers no way to choose it
  // Nor does a command that names a separator run anything.
  sim.Then([](ScriptedSim& s) {
    vcl::Message m{vcl::MessageKind::kCommand};
    m.id = Form1->N1->Command();
    s.PostTo(s.FormWindow(), m);
    m.id = Form1->N2->Command();
    s.PostTo(s.FormWindow(), m);
  });
  bool running = false;
  sim.Then([&](ScriptedSim& s) { running = !s.Screen().destroyed && s.recorder.Count("PostQuitMessage") == 0;
  });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  ASSERT_EQ(sim.menus().size(), 1u);
  std::vector<int> separators;
  for (std::size_t i = 0; i < sim.menus()[0].entries.size(); ++i) {
    if (sim.menus()[0].entries[i].separator) separators.push_back(static_cast<int>(i));
  }
  EXPECT_EQ(separators, (std::vector<int>{5, 10}));
  EXPECT_TRUE(running);
  EXPECT_EQ(sim.recorder.Count({"PostQuitMessage", {0LL}}), 1) << "only from the Esc release";
}

TEST(Menu, CancelledMenuRunsNothing) {
  NoWelcomeSim sim;
  std::size_t fills_before = 0;
  sim.Then([&](ScriptedSim& s) { fills_before = s.ScreenFills().size(); });
  sim.ThenRightClick({10, 10});
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(sim.ScreenFills().size(), fills_before);
  EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "SetTimer", {kAny, 500LL})), 0);
  EXPECT_EQ(sim.shell.calls.size(), 0u);
}

TEST(Keys, OnlyEscReleaseEndsTheProgram) {
  NoWelcomeSim sim;
  for (vcl::VirtualKey key : {vcl::VirtualKey(13), vcl::VirtualKey(32), vcl::VirtualKey(65),
                              vcl::VirtualKey(37), vcl::VirtualKey(9), vcl::VirtualKey(121)}) {
    sim.ThenKeyRelease(key);
  }
  sim.ThenKeyPress(vcl::kVkEscape);  // a press alone does nothing
  bool running = false;
  sim.Then([&](ScriptedSim& s) { running = !s.Screen().destroyed; });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_TRUE(running);
  EXPECT_FALSE(sim.script_ran_out);
}

TEST(Keys, EscapeClosingTheMenuThenReleasedEndsTheProgram) {
  NoWelcomeSim sim;
  sim.ThenRightClick({10, 10});
  sim.ThenCancelMenu();  // Esc pressed: the menu closes on the press
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
}

}  // namespace
