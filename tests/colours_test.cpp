// The colour patterns and the white/green animation.
#include <gtest/gtest.h>

#include "sim_run.h"

using testing_support::CountInLog;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using vcl::SimWindowSystem;

namespace {

struct State {
  vcl::TColor colour;
  bool running;
  bool operator==(const State& o) const { return colour == o.colour && running == o.running; }
};

std::ostream& operator<<(std::ostream& os, const State& s) {
  return os << std::hex << "0x" << s.colour << (s.running ? " running" : " stopped");
}

// Brings the program into a state, runs one event and reads the next state
// and whether the screen was repainted.
void Choose(SimWindowSystem& sim, const std::string& entry) {
  sim.ThenRightClick({100, 100});
  sim.ThenChoose(entry);
}

void Reach(SimWindowSystem& sim, State state) {
  if (state.running) {
    Choose(sim, "White-Green animation");
    if (state.colour == kGreenColor) sim.ThenAdvance(500);
    return;
  }
  const char* entry = state.colour == kBlackColor   ? "Black"
                      : state.colour == kGrayColor  ? "Gray"
                      : state.colour == kGreenColor ? "Green"
                                                    : "White";
  Choose(sim, entry);
}

TEST(Colours, StateTable) {
  const State black{kBlackColor, false}, gray{kGrayColor, false}, green{kGreenColor, false},
      white{kWhiteColor, false}, white_running{kWhiteColor, true},
      green_running{kGreenColor, true};
  struct Row {
    State from;
    const char* event;  // a menu entry, or "tick"
    State to;
    bool repaint;
  } rows[] = {
      {black, "Gray", gray, true},          {gray, "Gray", gray, false},
      {black, "Green", green, true},        {white, "White", white, false},
      {gray, "Black", black, true},         {green_running, "Green", green, false},
      {green_running, "White", white, true}, {white_running, "Black", black, true},
      {black, "White-Green animation", white_running, true},
      {white, "White-Green animation", white_running, false},
      {white_running, "White-Green animation", white_running, false},
      {green_running, "White-Green animation", white_running, true},
      {white_running, "tick", green_running, true},
      {green_running, "tick", white_running, true},
      {white_running, "About Velumen", white, false},
      {green_running, "How to use the program", green, false},
      {white_running, "Look for the new version on the internet", white, false},
      {green_running, "Download more free Tavik's utilities", green, false},
      {green_running, "menu closed", green_running, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.event));
    SimWindowSystem sim = NoWelcomeSim();
    Reach(sim, row.from);
    std::size_t fills_before = 0;
    State before{};
    sim.Then([&](SimWindowSystem& s) {
      fills_before = s.fills.size();
      before = {Form1->Color(), Form1->Timer1->Enabled()};
    });
    const std::string event = row.event;
    if (event == "tick") {
      sim.ThenAdvance(500);
    } else if (event == "menu closed") {
      sim.ThenRightClick({1, 1});
      sim.ThenCancelMenu();
    } else {
      Choose(sim, event);
      sim.ThenKeyPress(vcl::kVkReturn);  // dismisses a box if one opened
      sim.ThenRestoreFromTaskbar();      // brings the screen back if it went
    }
    State after{};
    std::size_t fills_after = 0;
    sim.Then([&](SimWindowSystem& s) {
      after = {Form1->Color(), Form1->Timer1->Enabled()};
      fills_after = s.fills.size();
      // What the window shows is what its colour says.
      EXPECT_EQ(s.Screen().shown_color, Form1->Color());
    });
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_EQ(before, row.from);
    EXPECT_EQ(after, row.to);
    const bool restored_after_web = event.rfind("Look", 0) == 0 || event.rfind("Download", 0) == 0;
    if (!restored_after_web) {
      EXPECT_EQ(fills_after > fills_before, row.repaint);
    }
  }
}

// Colour changes of the screen over time, from the start of the animation.
std::vector<std::pair<std::uint32_t, vcl::TColor>> ChangesAfter(const SimWindowSystem& sim,
                                                                std::uint32_t start) {
  std::vector<std::pair<std::uint32_t, vcl::TColor>> changes;
  for (const auto& fill : sim.fills) {
    if (fill.first >= start && (changes.empty() || changes.back().second != fill.second)) {
      changes.push_back({fill.first - start, fill.second});
    }
  }
  return changes;
}

TEST(Animation, FlipsEvery500MsStartingWhite) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.ThenAdvance(1234);
  Choose(sim, "White-Green animation");
  sim.ThenAdvance(2100);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  const auto changes = ChangesAfter(sim, 1234);
  const std::vector<std::pair<std::uint32_t, vcl::TColor>> expected = {
      {0, kWhiteColor}, {500, kGreenColor}, {1000, kWhiteColor}, {1500, kGreenColor},
      {2000, kWhiteColor}};
  EXPECT_EQ(changes, expected);
  EXPECT_EQ(CountInLog(sim, "SetTimer 500"), 1);
}

TEST(Animation, RepeatInGreenPhaseShowsWhiteAndKeepsTheSchedule) {
  SimWindowSystem sim = NoWelcomeSim();
  Choose(sim, "White-Green animation");
  sim.ThenAdvance(700);  // green since 500
  Choose(sim, "White-Green animation");
  sim.ThenAdvance(300);  // the old schedule's tick at 1000 turns it green
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  const auto changes = ChangesAfter(sim, 0);
  const std::vector<std::pair<std::uint32_t, vcl::TColor>> expected = {
      {0, kBlackColor}, {0, kWhiteColor}, {500, kGreenColor}, {700, kWhiteColor},
      {1000, kGreenColor}};
  EXPECT_EQ(changes, expected);
  EXPECT_EQ(CountInLog(sim, "SetTimer 500"), 1) << "the timer was not restarted";
  EXPECT_EQ(CountInLog(sim, "KillTimer"), 1) << "only at the end";
}

TEST(Animation, TicksDueWhileBusyMergeIntoOne) {
  SimWindowSystem sim = NoWelcomeSim();
  Choose(sim, "White-Green animation");
  sim.ThenBusy(1700);  // three ticks fall due while nothing runs
  std::size_t changes_after_busy = 0;
  sim.ThenAdvance(1);
  sim.Then([&](SimWindowSystem& s) { changes_after_busy = ChangesAfter(s, 0).size(); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  // black, white, then one merged change to green
  EXPECT_EQ(changes_after_busy, 3u);
}

TEST(Animation, GoesOnBehindTheOpenMenu) {
  SimWindowSystem sim = NoWelcomeSim();
  Choose(sim, "White-Green animation");
  sim.ThenRightClick({5, 5});
  sim.ThenAdvance(1000);  // while the menu is open
  bool menu_was_open = false;
  sim.Then([&](SimWindowSystem& s) { menu_was_open = s.menu_open; });
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_TRUE(menu_was_open);
  EXPECT_EQ(ChangesAfter(sim, 0).size(), 4u);  // black, white, green, white
}

TEST(Animation, NoTickAfterAStopAndNoTimerAtStart) {
  SimWindowSystem sim = NoWelcomeSim();
  std::size_t timers_at_start = 99;
  sim.Then([&](SimWindowSystem& s) { timers_at_start = s.RunningTimers().size(); });
  Choose(sim, "White-Green animation");
  sim.ThenAdvance(600);
  Choose(sim, "Gray");
  sim.ThenAdvance(5000);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(timers_at_start, 0u);
  EXPECT_EQ(sim.fills.back().second, kGrayColor);
  EXPECT_EQ(ChangesAfter(sim, 0).back().first, 600u);
}

TEST(Animation, RefusedTimerIsReportedLeavesWhiteAndRecoversAfterAStop) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.refuse_timers = true;
  Choose(sim, "White-Green animation");
  sim.ThenDismissMessageBox();
  Choose(sim, "White-Green animation");  // Enabled is still true: nothing
  vcl::TColor colour_after_failure = 0;
  sim.Then([&](SimWindowSystem& s) {
    colour_after_failure = Form1->Color();
    s.refuse_timers = false;
  });
  Choose(sim, "Black");
  Choose(sim, "White-Green animation");
  sim.ThenAdvance(500);
  vcl::TColor colour_after_recovery = 0;
  sim.Then([&](SimWindowSystem&) { colour_after_recovery = Form1->Color(); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  ASSERT_EQ(sim.message_boxes.size(), 1u);
  EXPECT_EQ(sim.message_boxes[0].text, "Not enough timers available.");
  EXPECT_EQ(sim.message_boxes[0].caption, "Velumen");
  EXPECT_EQ(sim.message_boxes[0].flags, 0x10u);
  EXPECT_EQ(colour_after_failure, kWhiteColor);
  EXPECT_EQ(CountInLog(sim, "SetTimer 500"), 2);
  EXPECT_EQ(colour_after_recovery, kGreenColor);
}

TEST(Animation, TickAtAnyOtherColourSetsWhite) {
  SimWindowSystem sim = NoWelcomeSim();
  Choose(sim, "White-Green animation");
  sim.Then([](SimWindowSystem&) { Form1->SetColor(0xFFFFFE); });
  sim.ThenAdvance(500);
  vcl::TColor after = 0;
  sim.Then([&](SimWindowSystem&) { after = Form1->Color(); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(after, kWhiteColor);
}

}  // namespace
