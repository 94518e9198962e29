// The information boxes: texts, layout and the modal sequence.
#include <gtest/gtest.h>

#include "platform/info_box_layout.h"
#include "screen/texts.h"
#include "scripted_sim.h"

using testing_support::CountOnBoxes;
using testing_support::kAny;
using testing_support::OnScreen;
using testing_support::SameCalls;
using testing_support::Slice;
using testing_support::WindowArg;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;

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
  ScriptedSim sim;
  auto measure = [&](const std::string& text) {
    return sim.MeasureText(text, vcl::TextWidthLimit(sim.monitors.front()));
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
  m.base_units = {6, 13};
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
  NoWelcomeSim sim;
  ScriptedSim::Window screen_during;
  ScriptedSim::Window box;
  ScriptedSim::Window screen_after;
  bool focus_on_screen_after = false;
  bool ok_focused = false;
  bool box_above_screen = false;
  int exit_code = -1;
  std::size_t log_mark = 0;
  vcl::WindowHandle box_handle = 0;

  void Open(const std::string& entry) {
    sim.ThenRightClick({10, 10});
    sim.ThenChoose(entry);
    sim.Then([this](ScriptedSim& s) {
      screen_during = s.Screen();
      const vcl::WindowHandle handle = s.OpenBox();
      box = s.windows().at(handle);
      ok_focused = s.OkFocused(handle);
      const auto& z = s.z_order();
      box_above_screen = std::find(z.begin(), z.end(), handle) <
                         std::find(z.begin(), z.end(), s.FormWindow());
      log_mark = s.recorder.calls().size();
      box_handle = handle;
    });
  }
  void After() {
    sim.Then([this](ScriptedSim& s) {
      screen_after = s.Screen();
      focus_on_screen_after = s.focus() == s.FormWindow();
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
  EXPECT_EQ(run.box.box.icon, vcl::SystemIcon::kInformation);
  EXPECT_EQ(run.box.box.frame, vcl::FrameKind::kFixedDialog);
  EXPECT_EQ(run.box.box.button.caption, "OK");
  EXPECT_EQ(run.box.box.button.id, vcl::kIdOk);
  EXPECT_TRUE(run.box.box.button.is_default);
  EXPECT_TRUE(run.ok_focused);
  EXPECT_TRUE(run.box_above_screen);
  EXPECT_EQ(run.box.owner, run.sim.FormWindow());
  EXPECT_FALSE(run.screen_during.enabled);
  EXPECT_FALSE(run.screen_during.topmost);
  EXPECT_TRUE(run.screen_after.enabled);
  EXPECT_TRUE(run.screen_after.topmost);
  EXPECT_TRUE(run.focus_on_screen_after);
  EXPECT_EQ(run.sim.menus().size(), 1u);
  EXPECT_EQ(CountOnBoxes(run.sim, "DestroyWindow"), 1);

  // Closing: enabled as the box goes, the box destroyed, back on top, activated.
  const WindowArg box{run.box_handle};
  EXPECT_TRUE(SameCalls(Slice(run.sim.recorder.calls(), run.log_mark, run.log_mark + 6),
                        {OnScreen(run.sim, "EnableWindow", {true}),
                         {"ShowWindow", {box, 0LL}},
                         {"DestroyWindow", {box}},
                         OnScreen(run.sim, "SetTopmost", {true}),
                         OnScreen(run.sim, "SetForegroundWindow", {}),
                         OnScreen(run.sim, "SetActiveWindow", {})}));
}

TEST(InfoBox, DismissingKeysAndButtons) {
  struct Case {
    const char* name;
    std::function<void(ScriptedSim&)> dismiss;
    bool program_ends;
  } cases[] = {
      {"Enter, on the press", [](ScriptedSim& s) { s.ThenKeyPress(vcl::kVkReturn); }, false},
      {"Space, on the release",
       [](ScriptedSim& s) {
         s.ThenKeyPress(vcl::kVkSpace);
         s.ThenKeyRelease(vcl::kVkSpace);
       },
       false},
      {"mouse on OK", [](ScriptedSim& s) { s.ThenClickBoxButton(); }, false},
      {"close button", [](ScriptedSim& s) { s.ThenCloseBox(); }, false},
      {"Esc: closes on the press, ends on the release",
       [](ScriptedSim& s) {
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
    EXPECT_EQ(CountOnBoxes(run.sim, "DestroyWindow"), 1);
  }
}

TEST(InfoBox, DialogKeysWithShiftCtrlOrAltDoNothing) {
  const vcl::TShiftState shift{true, false, false}, ctrl{false, true, false},
      alt{false, false, true};
  struct Case {
    const char* name;
    vcl::VirtualKey key;
    vcl::TShiftState held;
  } cases[] = {
      {"Shift+Enter", vcl::kVkReturn, shift}, {"Ctrl+Enter", vcl::kVkReturn, ctrl},
      {"Alt+Enter", vcl::kVkReturn, alt},     {"Shift+Esc", vcl::kVkEscape, shift},
      {"Ctrl+Esc", vcl::kVkEscape, ctrl},     {"Alt+Esc", vcl::kVkEscape, alt},
      {"Ctrl+Break", vcl::kVkCancel, ctrl},   {"Ctrl+Shift+Break", vcl::kVkCancel, {true, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoxRun run;
    run.Open("About Velumen");
    run.sim.ThenKeyPress(c.key, c.held);
    run.sim.ThenKeyRelease(c.key, c.held);
    bool open_after = false;
    run.sim.Then([&](ScriptedSim& s) { open_after = s.OpenBox() != 0; });
    run.sim.ThenKeyPress(vcl::kVkReturn);  // plain Enter still presses OK
    bool open_after_enter = true;
    run.sim.Then([&](ScriptedSim& s) { open_after_enter = s.OpenBox() != 0; });
    run.sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(run.sim), 0);
    EXPECT_TRUE(open_after);
    EXPECT_FALSE(open_after_enter);
    EXPECT_FALSE(run.sim.script_ran_out);
  }
}

TEST(InfoBox, OkHasTheFocusWheneverTheBoxIsActive) {
  struct Case {
    const char* name;
    std::function<void(ScriptedSim&)> reactivate;
  } cases[] = {
      {"a click on the box after another program",
       [](ScriptedSim& s) {
         s.ThenSwitchAway();
         s.Then([](ScriptedSim& t) { t.ClickWindow(t.OpenBox()); });
       }},
      {"a click on the disabled screen after another program",
       [](ScriptedSim& s) {
         s.ThenSwitchAway();
         s.ThenSwitchBack();
       }},
      {"the taskbar button after another program",
       [](ScriptedSim& s) {
         s.ThenSwitchAway();
         s.Then([](ScriptedSim& t) { t.ClickTaskbarButton(t.FormWindow()); });
       }},
      {"an error box over it",
       [](ScriptedSim& s) {
         s.Then([](ScriptedSim& t) {
           t.faults.refuse_timers = true;
           vcl::Message m{vcl::MessageKind::kCommand};
           m.id = Form1->WhiteGreenanimation1->Command();
           t.PostTo(t.FormWindow(), m);
         });
         s.ThenDismissMessageBox();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoxRun run;
    run.Open("About Velumen");
    c.reactivate(run.sim);
    bool box_active = false;
    bool ok_focused = false;
    run.sim.Then([&](ScriptedSim& s) {
      box_active = s.active() == s.OpenBox();
      ok_focused = s.OpenBox() != 0 && s.OkFocused(s.OpenBox());
    });
    // Space presses the focused OK.
    run.sim.ThenKeyPress(vcl::kVkSpace);
    run.sim.ThenKeyRelease(vcl::kVkSpace);
    bool closed = false;
    run.sim.Then([&](ScriptedSim& s) { closed = s.OpenBox() == 0; });
    run.sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(run.sim), 0);
    EXPECT_TRUE(box_active);
    EXPECT_TRUE(ok_focused);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(run.sim.script_ran_out);
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
  EXPECT_EQ(run.sim.ScreenFills().back().second, kGreenColor);
}

TEST(InfoBox, RepaintsAndTicksGoOnBehindTheWelcomeBox) {
  ScriptedSim sim;
  sim.Then([](ScriptedSim&) {
    Form1->Timer1->SetEnabled(true);  // ticks reach the form during the box
  });
  sim.ThenAdvance(1000);
  std::vector<vcl::TColor> shown;
  sim.Then([&](ScriptedSim& s) {
    for (const auto& fill : s.ScreenFills()) {
      if (shown.empty() || shown.back() != fill.second) shown.push_back(fill.second);
    }
  });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  // black, then white and green from two ticks
  EXPECT_EQ(shown, (std::vector<vcl::TColor>{kBlackColor, kWhiteColor, kGreenColor}));
}

TEST(InfoBox, QuitRequestClosesTheBoxAndTheProgramEnds) {
  ScriptedSim sim;
  sim.ThenPostQuit();
  EXPECT_EQ(RunProgram(sim), 0);
  EXPECT_FALSE(sim.script_ran_out);
  EXPECT_EQ(CountOnBoxes(sim, "DestroyWindow"), 1);
  EXPECT_EQ(sim.recorder.Count({"ExitProcess", {0LL}}), 1);
}

TEST(InfoBox, NestedBoxesPutTheScreenBackOnTopOnlyAtTheOutermostClose) {
  NoWelcomeSim sim;
  sim.faults.refuse_timers = true;
  bool topmost_inside = true;
  bool screen_topmost_under_error_box = true;
  ScriptedSim::Window info_box_under_error_box;
  vcl::WindowHandle info_box = 0;
  std::size_t activations_before = 0;
  sim.ThenRightClick({10, 10});
  sim.ThenChoose("About Velumen");
  // A failing handler inside the box's loop opens the error box on top.
  sim.Then([](ScriptedSim& s) {
    vcl::Message m{vcl::MessageKind::kCommand};
    m.id = Form1->WhiteGreenanimation1->Command();
    s.PostTo(s.FormWindow(), m);
  });
  sim.Then([&](ScriptedSim& s) {
    topmost_inside = s.Screen().topmost;
    screen_topmost_under_error_box = s.Screen().topmost;
    info_box = s.OpenBox();
    info_box_under_error_box = s.windows().at(info_box);
    activations_before = s.activations().size();
  });
  sim.ThenDismissMessageBox();
  bool ok_focused_after = false;
  sim.Then([&](ScriptedSim& s) {
    topmost_inside = topmost_inside || s.Screen().topmost;
    ok_focused_after = s.OkFocused(info_box);
  });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);
  ASSERT_EQ(sim.message_boxes().size(), 1u);
  EXPECT_FALSE(screen_topmost_under_error_box);
  EXPECT_FALSE(topmost_inside);
  // The error box is in front of the information box, which is disabled
  // under it and active again after it, with OK focused.
  EXPECT_FALSE(info_box_under_error_box.enabled);
  EXPECT_EQ(sim.message_boxes()[0].owner, info_box);
  EXPECT_TRUE(ok_focused_after);
  const std::vector<vcl::WindowHandle> after(sim.activations().begin() + activations_before,
                                             sim.activations().end());
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(after.front(), info_box) << "straight back to the information box";
  EXPECT_EQ(sim.recorder.Count({"SetTopmost", {kAny, false}}), 1);
  EXPECT_EQ(sim.recorder.Count({"SetTopmost", {kAny, true}}), 2);  // at creation and after the box
}

}  // namespace
