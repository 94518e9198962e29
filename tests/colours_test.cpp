// The colour patterns and the white/green animation.
#include <gtest/gtest.h>

#include "scripted_sim.h"

using testing_support::kAny;
using testing_support::OnScreen;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;

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
void Choose(ScriptedSim& sim, const std::string& entry) {
  sim.ThenRightClick({100, 100});
  sim.ThenChoose(entry);
}

void Reach(ScriptedSim& sim, State state) {
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

TEST(Colours, EachEntryShowsItsExactColour) {
  const std::pair<const char*, vcl::TColor> entries[] = {
      {"Gray", 0xC0C0C0}, {"Green", 0x808040}, {"White", 0xFFFFFF}, {"Black", 0x000000}};
  NoWelcomeSim sim;
  std::vector<vcl::TColor> expected, shown;
  for (const auto& [entry, colour] : entries) {
    Choose(sim, entry);
    expected.push_back(colour);
    sim.Then([&shown](ScriptedSim& s) { shown.push_back(*s.Screen().shown_color); });
  }
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_EQ(shown, expected);
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
    NoWelcomeSim sim;
    Reach(sim, row.from);
    std::size_t fills_before = 0;
    State before{};
    sim.Then([&](ScriptedSim& s) {
      fills_before = s.ScreenFills().size();
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
    sim.Then([&](ScriptedSim& s) {
      after = {Form1->Color(), Form1->Timer1->Enabled()};
      fills_after = s.ScreenFills().size();
      // What the window shows is what its colour says.
      EXPECT_EQ(s.Screen().shown_color, Form1->Color());
    });
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_EQ(before, row.from);
    EXPECT_EQ(after, row.to);
    // A box or a minimised screen uncovers it: the system repaints it, in
    // the colour it had. Otherwise a fill means the colour was repainted.
    const bool uncovered = row.to.running != row.from.running && !row.repaint &&
                           event != "tick" && event != "menu closed";
    const auto screen_fills = sim.ScreenFills();
    if (uncovered) {
      for (std::size_t i = fills_before; i < fills_after; ++i) {
        EXPECT_EQ(screen_fills[i].second, row.from.colour);
      }
    } else {
      EXPECT_EQ(fills_after > fills_before, row.repaint);
    }
  }
}

// Colour changes of the screen over time, from the start of the animation.
std::vector<std::pair<std::uint32_t, vcl::TColor>> ChangesAfter(const ScriptedSim& sim,
                                                                std::uint32_t start) {
  std::vector<std::pair<std::uint32_t, vcl::TColor>> changes;
  for (const auto& fill : sim.ScreenFills()) {
    if (fill.first >= start && (changes.empty() || changes.back().second != fill.second)) {
      changes.push_back({fill.first - start, fill.second});
    }
  }
  return changes;
}

TEST(Animation, FlipsEvery500MsStartingWhite) {
  NoWelcomeSim sim;
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
  EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "SetTimer", {kAny, 500LL})), 1);
}

TEST(Animation, RepeatInGreenPhaseShowsWhiteAndKeepsTheSchedule) {
  NoWelcomeSim sim;
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
  EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "SetTimer", {kAny, 500LL})), 1) << "the timer was not restarted";
  EXPECT_EQ(sim.recorder.Count("KillTimer"), 1) << "only at the end";
}

TEST(Animation, TicksDueWhileBusyMergeIntoOne) {
  NoWelcomeSim sim;
  Choose(sim, "White-Green animation");
  sim.ThenBusy(1700);  // three ticks fall due while nothing runs
  std::size_t changes_after_busy = 0;
  sim.ThenAdvance(1);
  sim.Then([&](ScriptedSim& s) { changes_after_busy = ChangesAfter(s, 0).size(); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  // black, white, then one merged change to green
  EXPECT_EQ(changes_after_busy, 3u);
}

TEST(Animation, GoesOnBehindTheOpenMenu) {
  NoWelcomeSim sim;
  Choose(sim, "White-Green animation");
  sim.ThenRightClick({5, 5});
  sim.ThenAdvance(1000);  // while the menu is open
  bool menu_was_open = false;
  sim.Then([&](ScriptedSim& s) { menu_was_open = s.menu_open(); });
  sim.ThenCancelMenu();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_TRUE(menu_was_open);
  EXPECT_EQ(ChangesAfter(sim, 0).size(), 4u);  // black, white, green, white
}

TEST(Animation, NoTickAfterAStopAndNoTimerAtStart) {
  NoWelcomeSim sim;
  std::size_t timers_at_start = 99;
  sim.Then([&](ScriptedSim& s) { timers_at_start = s.RunningTimers().size(); });
  Choose(sim, "White-Green animation");
  sim.ThenAdvance(600);
  Choose(sim, "Gray");
  std::size_t timers_after_stop = 99;
  sim.Then([&](ScriptedSim& s) { timers_after_stop = s.RunningTimers().size(); });
  sim.ThenAdvance(5000);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(timers_at_start, 0u);
  EXPECT_EQ(timers_after_stop, 0u) << "the system timer is killed";
  EXPECT_EQ(sim.ScreenFills().back().second, kGrayColor);
  EXPECT_EQ(ChangesAfter(sim, 0).back().first, 600u);
}

TEST(Animation, RefusedTimerIsReportedLeavesWhiteAndRecoversAfterAStop) {
  NoWelcomeSim sim;
  sim.faults.refuse_timers = true;
  Choose(sim, "White-Green animation");
  vcl::TColor colour_after_failure = 0;
  sim.Then([&](ScriptedSim&) { colour_after_failure = Form1->Color(); });
  sim.ThenDismissMessageBox();
  Choose(sim, "White-Green animation");  // Enabled is still true: nothing
  sim.Then([&](ScriptedSim& s) { s.faults.refuse_timers = false; });
  Choose(sim, "Black");
  Choose(sim, "White-Green animation");
  sim.ThenAdvance(500);
  vcl::TColor colour_after_recovery = 0;
  sim.Then([&](ScriptedSim&) { colour_after_recovery = Form1->Color(); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  ASSERT_EQ(sim.message_boxes().size(), 1u);
  EXPECT_EQ(sim.message_boxes()[0].text, "Not enough timers available.");
  EXPECT_EQ(sim.message_boxes()[0].caption, "Velumen");
  EXPECT_EQ(sim.message_boxes()[0].flags, 0x10u);
  EXPECT_EQ(colour_after_failure, kWhiteColor);
  EXPECT_EQ(sim.recorder.Count(OnScreen(sim, "SetTimer", {kAny, 500LL})), 2);
  EXPECT_EQ(colour_after_recovery, kGreenColor);
}

TEST(Animation, TickAtAnyOtherColourSetsWhite) {
  NoWelcomeSim sim;
  Choose(sim, "White-Green animation");
  sim.Then([](ScriptedSim&) { Form1->SetColor(0xFFFFFE); });
  sim.ThenAdvance(500);
  vcl::TColor after = 0;
  sim.Then([&](ScriptedSim&) { after = Form1->Color(); });
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(after, kWhiteColor);
}

}  // namespace

namespace {

TEST(Animation, ATickQueuedBeforeTheStopDoesNotReachTheHandler) {
  NoWelcomeSim sim;
  Choose(sim, "White-Green animation");
  // "Gray" is posted, and a tick falls due before the loop takes it: the
  // stop leaves that tick in the queue.
  sim.Then([](ScriptedSim& s) {
    vcl::Message gray{vcl::MessageKind::kCommand};
    gray.id = Form1->Gray->Command();
    s.PostTo(s.FormWindow(), gray);
    s.Busy(600);
  });
  sim.ThenAdvance(2000);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  const auto fills = sim.ScreenFills();
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills.back().second, kGrayColor);
  for (const auto& fill : fills) EXPECT_NE(fill.second, kGreenColor);
}

TEST(Painting, EveryFillShowsTheColourOfItsMoment) {
  // Erased and painted on the first showing, after a restore and when a box
  // uncovers it: always in the screen's colour, never the system's brush.
  NoWelcomeSim sim;
  Choose(sim, "White");
  sim.ThenMinimizeFromTaskbar();
  sim.ThenRestoreFromTaskbar();
  Choose(sim, "About Velumen");
  sim.ThenKeyPress(vcl::kVkReturn);
  Choose(sim, "Green");
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);

  const vcl::WindowHandle screen = sim.FormWindow();
  std::vector<std::pair<vcl::TColor, bool>> seen;  // (colour, erase), merged runs
  for (const auto& fill : sim.fills()) {
    ASSERT_EQ(fill.window, screen);
    EXPECT_FALSE(fill.by_system) << "the system's brush showed at " << fill.time;
    if (seen.empty() || seen.back() != std::make_pair(fill.color, fill.erase)) {
      seen.emplace_back(fill.color, fill.erase);
    }
  }
  const std::vector<std::pair<vcl::TColor, bool>> expected = {
      {kBlackColor, true},  {kBlackColor, false},  // first showing
      {kWhiteColor, false},                        // "White"
      {kWhiteColor, true},  {kWhiteColor, false},  // restored
      {kWhiteColor, true},  {kWhiteColor, false},  // uncovered by the box
      {kGreenColor, false}};                       // "Green"
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(sim.fills_outside_paint(), 0);
}

}  // namespace
