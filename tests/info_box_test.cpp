// The information boxes: texts, layout and the modal sequence.
#include <gtest/gtest.h>

#include "platform/info_box_layout.h"
#include "screen/texts.h"
#include "sim_run.h"

using testing_support::CountInLog;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using vcl::SimWindowSystem;

namespace {

TEST(Texts, AreTheProgramsOwnLetterForLetter) {
  EXPECT_EQ(WelcomeText("1.3"),
            "Welcome to Velumen 1.3!\r\rThis is a very basic program for testing brightness "
            "settings and monitor quality and will therefore run in full screen mode. You can "
            "exit the program by right-clicking anywhere on the screen and selecting 'Exit' on "
            "the menu.");
  EXPECT_EQ(AboutText("1.3"),
            "Velumen version 1.3\rCopyright (C) Korvanta\r      [www.korvanta.example]\r"
            "http://www.korvanta.example/eng/free/\rhttp://www.korvanta.example/forum/\r\r"
            "This program is freeware.");
  EXPECT_EQ(HowToText(),
            "How to use Velumen\r\rIf you would like to test the brightness settings select "
            "'Black' on the menu. You will see how black looks on your screen. If it is not "
            "quite black, adjust the hardware settings as needed. \r\rIf you want to test the "
            "quality of your monitor select 'White' to see if there are any yellow or blue "
            "regions. Select 'Gray' to see the Moire effect, select 'Green' to see if there are "
            "any 'storms' on the display.\rSelect 'Green-White Animation' to see how your "
            "screen size changes when the color changes fast.\r\rThis should tell you more "
            "about your display.\r\rIf you wan't to run the program without welcome text box "
            "then run it like this: \"Vexo.exe no_welcome\".");
  for (const std::string& text : {WelcomeText("1.3"), AboutText("1.3"), HowToText()}) {
    EXPECT_EQ(text.find('\n'), std::string::npos);
  }
}

TEST(Layout, FitsHalfTheScreenWidensForALongWordAndGrowsWithLines) {
  vcl::SimWindowSystem sim;
  auto measure = [&](const std::string& text) {
    return sim.MeasureText(text, vcl::TextWidthLimit(sim.screen));
  };
  EXPECT_EQ(vcl::TextWidthLimit({0, 0, 1025, 768}), 512);

  const vcl::Size paragraph = measure(WelcomeText("1.3"));
  EXPECT_LE(paragraph.cx, 512);
  EXPECT_GT(paragraph.cy, 3 * 13) << "the paragraph wraps";

  const vcl::Size long_word = measure(std::string(100, 'w'));
  EXPECT_EQ(long_word.cx, 600);
  EXPECT_EQ(long_word.cy, 13);

  EXPECT_EQ(measure("a\r\rb").cy, 3 * 13) << "CR CR leaves an empty line";
  EXPECT_EQ(measure("\tx").cx, 9 * 6) << "tabs expand";
}

TEST(Layout, CentresTheFramedBoxWithMarginsFromTheFont) {
  vcl::InfoBoxMeasures m;
  m.font = {6, 13};
  m.text = {300, 52};
  m.icon_size = 32;
  m.frame = {3, 22, 3, 3};
  m.monitor = {0, 0, 1024, 768};
  const vcl::InfoBoxGeometry g = vcl::LayOutInfoBox(m);

  EXPECT_EQ(g.icon.left, 12);  // 8 dialog units across: 2 characters
  EXPECT_EQ(g.icon.top, 13);   // 8 dialog units down: 1 line
  EXPECT_EQ(g.text.left, g.icon.right + 15);
  EXPECT_EQ(g.text.Width(), 300);
  const int client_width = 12 + 32 + 15 + 300 + 12;
  EXPECT_EQ(g.button.left, (client_width - g.button.Width()) / 2);
  EXPECT_GT(g.button.top, g.text.bottom);
  EXPECT_EQ(g.window.Width(), client_width + 6);
  EXPECT_EQ(g.window.left, (1024 - g.window.Width()) / 2);
  EXPECT_EQ(g.window.top, (768 - g.window.Height()) / 2);

  m.text.cy += 13;
  EXPECT_EQ(vcl::LayOutInfoBox(m).window.Height(), g.window.Height() + 13);

  m.monitor = {1024, 0, 2048, 768};  // the screen's monitor, not the first one
  EXPECT_EQ(vcl::LayOutInfoBox(m).window.left, 1024 + (1024 - g.window.Width()) / 2);
}

// Runs "About Velumen" and records the screen while the box is open.
struct BoxRun {
  SimWindowSystem sim = NoWelcomeSim();
  SimWindowSystem::Window screen_during;
  SimWindowSystem::Window box;
  SimWindowSystem::Window screen_after;
  bool focus_on_screen_after = false;
  int exit_code = -1;
  std::size_t log_mark = 0;

  void Open(const std::string& entry) {
    sim.ThenRightClick({10, 10});
    sim.ThenChoose(entry);
    sim.Then([this](SimWindowSystem& s) {
      screen_during = s.Screen();
      box = s.windows.at(s.OpenBox());
      log_mark = s.log.size();
    });
  }
  void After() {
    sim.Then([this](SimWindowSystem& s) {
      screen_after = s.Screen();
      focus_on_screen_after = s.focus == s.FormWindow();
    });
  }
};

TEST(InfoBox, OpensInFrontOfADisabledNonTopMostScreenAndRestoresIt) {
  BoxRun run;
  run.Open("About Velumen");
  run.sim.ThenRightClick({10, 10});        // the disabled screen takes no input
  run.sim.ThenKeyRelease(vcl::kVkEscape);  // the release reaches nothing
  run.sim.ThenKeyPress(vcl::kVkReturn);
  run.After();
  run.sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(run.sim), 0);

  EXPECT_EQ(run.box.caption, "Information");
  EXPECT_EQ(run.box.text, AboutText("1.3"));
  EXPECT_TRUE(run.box.button_focused);
  EXPECT_EQ(run.box.owner, run.sim.FormWindow());
  EXPECT_FALSE(run.screen_during.enabled);
  EXPECT_FALSE(run.screen_during.topmost);
  EXPECT_TRUE(run.screen_after.enabled);
  EXPECT_TRUE(run.screen_after.topmost);
  EXPECT_TRUE(run.focus_on_screen_after);
  EXPECT_EQ(run.sim.menus.size(), 1u);
  EXPECT_EQ(CountInLog(run.sim, "DestroyInfoBox"), 1);

  // Closing: enabled as the box goes, the box destroyed, back on top, activated.
  const std::vector<std::string> closing(run.sim.log.begin() + run.log_mark,
                                         run.sim.log.begin() + run.log_mark + 5);
  EXPECT_EQ(closing, (std::vector<std::string>{"EnableWindow 1", "ShowBox 0", "DestroyInfoBox",
                                               "SetTopmost 1", "SetActiveWindow"}));
}

TEST(InfoBox, DismissingKeysAndButtons) {
  struct Case {
    const char* name;
    std::function<void(SimWindowSystem&)> dismiss;
    bool program_ends;
  } cases[] = {
      {"Enter", [](SimWindowSystem& s) { s.ThenKeyPress(vcl::kVkReturn); }, false},
      {"Enter with Ctrl does nothing, then Enter",
       [](SimWindowSystem& s) {
         s.ThenKeyPress(vcl::kVkReturn, {false, true, false});
         s.ThenKeyPress(vcl::kVkReturn);
       },
       false},
      {"mouse on OK", [](SimWindowSystem& s) { s.ThenClickBoxButton(); }, false},
      {"close button", [](SimWindowSystem& s) { s.ThenCloseBox(); }, false},
      {"Esc: closes on the press, ends on the release",
       [](SimWindowSystem& s) {
         s.ThenKeyPress(vcl::kVkEscape);
         s.ThenKeyRelease(vcl::kVkEscape);
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoxRun run;
    run.Open("How to use the program");
    c.dismiss(run.sim);
    if (!c.program_ends) run.sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(run.sim), 0);
    EXPECT_FALSE(run.sim.script_ran_out);
    EXPECT_EQ(run.box.text, HowToText());
    EXPECT_EQ(CountInLog(run.sim, "DestroyInfoBox"), 1);
  }
}

TEST(InfoBox, AnimationStopsBeforeTheBoxAndStaysStopped) {
  BoxRun run;
  run.sim.ThenRightClick({10, 10});
  run.sim.ThenChoose("White-Green animation");
  run.sim.ThenAdvance(600);  // green
  run.Open("About Velumen");
  run.sim.ThenAdvance(2000);
  run.sim.ThenKeyPress(vcl::kVkReturn);
  run.sim.ThenAdvance(2000);
  run.After();
  run.sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(run.sim);
  EXPECT_EQ(run.screen_during.shown_color, kGreenColor);
  EXPECT_EQ(run.screen_after.shown_color, kGreenColor);
  EXPECT_EQ(run.sim.fills.back().second, kGreenColor);
}

TEST(InfoBox, RepaintsAndTicksGoOnBehindTheWelcomeBox) {
  SimWindowSystem sim;
  sim.Then([](SimWindowSystem&) {
    Form1->Timer1->SetEnabled(true);  // ticks reach the form during the box
  });
  sim.ThenAdvance(1000);
  std::size_t fills = 0;
  sim.Then([&](SimWindowSystem& s) { fills = s.fills.size(); });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(fills, 3u);  // black, then white, green from two ticks
}

TEST(InfoBox, QuitRequestClosesTheBoxAndTheProgramEnds) {
  SimWindowSystem sim;
  sim.ThenPostQuit();
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
  EXPECT_EQ(CountInLog(sim, "DestroyInfoBox"), 1);
  EXPECT_EQ(CountInLog(sim, "ExitProcess 0"), 1);
}

TEST(InfoBox, NestedBoxesPutTheScreenBackOnTopOnlyAtTheOutermostClose) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.refuse_timers = true;
  bool topmost_inside = true;
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("About Velumen");
  // A failing handler inside the box's loop opens the error box on top.
  sim.Then([](SimWindowSystem& s) {
    vcl::Message m{vcl::MessageKind::kCommand};
    m.id = Form1->WhiteGreenanimation1->Command();
    s.windows.at(s.FormWindow()).target->HandleMessage(m);
  });
  sim.Then([&](SimWindowSystem& s) { topmost_inside = s.Screen().topmost; });
  sim.ThenDismissMessageBox();
  sim.Then([&](SimWindowSystem& s) { topmost_inside = topmost_inside || s.Screen().topmost; });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_EQ(sim.message_boxes.size(), 1u);
  EXPECT_FALSE(sim.message_boxes[0].screen_topmost);
  EXPECT_FALSE(topmost_inside);
  EXPECT_EQ(CountInLog(sim, "SetTopmost 0"), 1);
  EXPECT_EQ(CountInLog(sim, "SetTopmost 1"), 2);  // at creation and after the box
}

}  // namespace
