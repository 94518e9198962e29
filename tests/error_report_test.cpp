// An exception that escapes a handler is reported and the program goes on.
#include <gtest/gtest.h>

#include "platform/exception.h"
#include "sim_run.h"

using testing_support::CountInLog;
using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using vcl::SimWindowSystem;

namespace {

TEST(ErrorReport, EachPlaceThatCallsAHandlerReportsAndGoesOn) {
  struct Case {
    const char* name;
    std::function<void(SimWindowSystem&)> provoke;
  } cases[] = {
      {"key release",
       [](SimWindowSystem& s) {
         s.Then([](SimWindowSystem&) {
           Form1->OnKeyUp = [](vcl::TObject*, vcl::VirtualKey&, vcl::TShiftState) {
             throw vcl::Exception("Key handler failed");
             };
         });
         s.ThenKeyRelease('A');
       }},
      {"menu choice",
       [](SimWindowSystem& s) {
         s.refuse_timers = true;
         s.ThenRightClick({1, 1});
         s.ThenChoose("White-Green animation");
       }},
      {"timer tick",
       [](SimWindowSystem& s) {
         s.Then([](SimWindowSystem&) {
           Form1->Timer1->SetOnTimer([](vcl::TObject*) { throw std::runtime_error("tick"); });
           Form1->Timer1->SetEnabled(true);
         });
         s.ThenAdvance(500);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimWindowSystem sim = NoWelcomeSim();
    c.provoke(sim);
    sim.Then([](SimWindowSystem& s) { s.capture = s.FormWindow(); });
    sim.ThenDismissMessageBox();
    bool enabled_after = false;
    sim.Then([&](SimWindowSystem& s) {
      enabled_after = s.Screen().enabled && s.Screen().topmost;
      Form1->OnKeyUp = [](vcl::TObject*, vcl::VirtualKey& key, vcl::TShiftState) {
        if (key == vcl::kVkEscape) Form1->Close();
      };
      Form1->Timer1->SetEnabled(false);
    });
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    ASSERT_EQ(sim.message_boxes.size(), 1u);
    EXPECT_EQ(sim.message_boxes[0].caption, "Velumen");
    EXPECT_EQ(sim.message_boxes[0].flags, vcl::kMbOk | vcl::kMbIconStop);
    EXPECT_FALSE(sim.message_boxes[0].screen_enabled);
    EXPECT_FALSE(sim.message_boxes[0].screen_topmost);
    EXPECT_TRUE(enabled_after);
  }
}

TEST(ErrorReport, CancelsMouseCaptureBeforeTheBox) {
  SimWindowSystem sim = NoWelcomeSim();
  sim.refuse_timers = true;
  sim.ThenRightClick({1, 1});
  sim.Then([](SimWindowSystem& s) { s.capture = s.FormWindow(); });
  sim.ThenChoose("White-Green animation");
  sim.ThenDismissMessageBox();
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  const auto box = std::find(sim.log.begin(), sim.log.end(), "MessageBox");
  ASSERT_NE(box, sim.log.end());
  const auto menu_closed = std::find(sim.log.begin(), sim.log.end(), "MenuClosed");
  const std::vector<std::string> before_box(menu_closed + 1, box);
  EXPECT_EQ(before_box, (std::vector<std::string>{"SetTimer 500", "CancelMode", "EnableWindow 0",
                                                  "SetTopmost 0"}));
}

}  // namespace
