// The pop-up menu and the keys of the test screen.
#include <gtest/gtest.h>

#include "sim_run.h"

using testing_support::CountInLog;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using vcl::SimWindowSystem;

namespace {

TEST(Menu, HasTheTwelveEntriesInOrder) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.ThenRightClick({300, 200});
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  ASSERT_EQ(sim.menus.size(), 1u);
  std::vector<std::string> captions;
  for (const vcl::MenuEntry& e : sim.menus[0].entries) captions.push_back(e.separator ? "-" : e.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{
                          "Black", "Gray", "Green", "White", "White-Green animation", "-",
                          "About Velumen", "How to use the program",
                          "Look for the new version on the internet",
                          "Download more free Tavik's utilities", "-", "Exit"}));
}

TEST(Menu, OpensAtEachRightButtonReleasePoint) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.ThenRightButtonPressOnly({50, 60});
  sim.ThenRightClick({300, 200});
  sim.ThenCancelMenu();
  sim.ThenRightClick({1020, 765});
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  ASSERT_EQ(sim.menus.size(), 2u);
  EXPECT_EQ(sim.menus[0].point.x, 300);
  EXPECT_EQ(sim.menus[0].point.y, 200);
  EXPECT_EQ(sim.menus[1].point.x, 1020);
  EXPECT_EQ(sim.menus[1].point.y, 765);
}

TEST(Menu, ReleaseCancelsAnyMouseCaptureFirst) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.Then([](SimWindowSystem& s) { s.capture = s.FormWindow(); });
  sim.ThenRightClick({3, 3});
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  auto at = [&](const std::string& e) { return std::find(sim.log.begin(), sim.log.end(), e) - sim.log.begin(); };
  EXPECT_LT(at("CancelMode"), at("MenuOpen"));
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
    SimWindowSystem sim = NoWelcomeSim();
    sim.ThenKeyRelease(c.key, c.shift);
    if (c.opens) sim.ThenCancelMenu();
    sim.ThenPost(vcl::MessageKind::kContextMenu);  // what the system makes of it
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    ASSERT_EQ(sim.menus.size(), c.opens ? 1u : 0u);
    if (c.opens) {
      EXPECT_EQ(sim.menus[0].point.x, 0);
      EXPECT_EQ(sim.menus[0].point.y, 0);
    }
  }
}

TEST(Menu, ChosenEntryRunsOnceAfterTheMenuHasClosed) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("Gray");
  vcl::TColor after_choice = 0;
  sim.Then([&](SimWindowSystem&) { after_choice = Form1->Color(); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(after_choice, kGrayColor);
  auto closed = std::find(sim.log.begin(), sim.log.end(), "MenuClosed");
  ASSERT_NE(closed, sim.log.end());
  // The repaint of the new colour comes after the menu closed.
  ASSERT_GE(sim.fills.size(), 2u);
  EXPECT_EQ(sim.fills.back().second, kGrayColor);
}

TEST(Menu, CancelledMenuRunsNothing) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.ThenRightClick({10, 10});
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(sim.fills.size(), 1u);
  EXPECT_EQ(CountInLog(sim, "SetTimer 500"), 0);
  EXPECT_EQ(sim.shell_calls.size(), 0u);
}

TEST(Keys, OnlyEscReleaseEndsTheProgram) {
  SimWindowSystem sim = NoWelcomeSim();
  for (vcl::VirtualKey key : {vcl::VirtualKey(13), vcl::VirtualKey(32), vcl::VirtualKey(65),
                              vcl::VirtualKey(37), vcl::VirtualKey(9), vcl::VirtualKey(121)}) {
    sim.ThenKeyRelease(key);
  }
  sim.ThenKeyPress(vcl::kVkEscape);  // a press alone does nothing
  bool running = false;
  sim.Then([&](SimWindowSystem& s) { running = !s.Screen().destroyed; });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_TRUE(running);
  EXPECT_FALSE(sim.script_ran_out);
}

TEST(Keys, EscapeClosingTheMenuThenReleasedEndsTheProgram) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.ThenRightClick({10, 10});
  sim.ThenCancelMenu();  // Esc pressed: the menu closes on the press
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
}

}  // namespace
