// The display stays awake while the test screen is seen, and only then.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "scripted_sim.h"

using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;

namespace {

const char kWebCommand[] = "Look for the new version on the internet";

// A run in steps; after each, whether the display is held.
struct Scenario {
  const char* name;
  std::function<void(ScriptedSim&)> set_up;
  std::vector<std::function<void(ScriptedSim&)>> steps;
  std::vector<bool> held;
};

void WebCommand(ScriptedSim& s) {
  s.ThenRightClick({10, 10});
  s.ThenChoose(kWebCommand);
}

TEST(DisplayAwake, HeldExactlyWhileTheScreenIsShownAndNotMinimised) {
  const Scenario scenarios[] = {
      {"no welcome, web command, restored", [](ScriptedSim&) {},
       {[](ScriptedSim&) {}, WebCommand, [](ScriptedSim& s) { s.ThenRestoreFromTaskbar(); }},
       {true, false, true}},
      {"under the welcome box", [](ScriptedSim& s) { s.process.command_line = "Vexo.exe"; },
       {[](ScriptedSim&) {}, [](ScriptedSim& s) { s.ThenKeyPress(vcl::kVkReturn); }},
       {true, true}},
      {"minimised start, restored", [](ScriptedSim& s) { s.process.startup_show = vcl::kSwShowMinNoActive; },
       {[](ScriptedSim&) {}, [](ScriptedSim& s) { s.ThenRestoreFromTaskbar(); }},
       {false, true}},
      {"minimised from the task bar and back", [](ScriptedSim&) {},
       {[](ScriptedSim& s) { s.ThenMinimizeFromTaskbar(); },
        [](ScriptedSim& s) { s.ThenRestoreFromTaskbar(); }},
       {false, true}},
  };
  for (const Scenario& sc : scenarios) {
    SCOPED_TRACE(sc.name);
    NoWelcomeSim sim;
    sc.set_up(sim);
    std::vector<bool> held;
    for (const auto& step : sc.steps) {
      step(sim);
      sim.Then([&held](ScriptedSim& s) { held.push_back(s.power.DisplayRequired()); });
    }
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_EQ(held, sc.held);
    // Nothing is held after the end, and only the display was ever asked
    // for: the system may still sleep when the user leaves it alone.
    EXPECT_FALSE(sim.power.DisplayRequired());
    for (std::uint32_t flags : sim.power.execution_states) {
      EXPECT_TRUE(flags == vcl::kEsContinuous ||
                  flags == (vcl::kEsContinuous | vcl::kEsDisplayRequired))
          << std::hex << flags;
    }
  }
}

TEST(DisplayAwake, ScreenSaverAndMonitorOffRefusedOnlyWhileTheScreenIsSeen) {
  struct Case {
    const char* name;
    std::function<void(ScriptedSim&)> before;
    std::uint32_t command;
    bool system_acts;
    bool to_the_screen = false;  // sent to it, not to the foreground window
  } cases[] = {
      {"screen saver, screen shown", [](ScriptedSim&) {}, vcl::kScScreenSave, false},
      {"monitor off, screen shown", [](ScriptedSim&) {}, vcl::kScMonitorPower, false},
      {"screen saver, the about box in front",
       [](ScriptedSim& s) {
         s.ThenRightClick({10, 10});
         s.ThenChoose("About Velumen");
       },
       vcl::kScScreenSave, false},
      {"screen saver, minimised by a web command", WebCommand, vcl::kScScreenSave, true},
      {"monitor off, minimised by a web command", WebCommand, vcl::kScMonitorPower, true},
      {"screen saver sent to the minimised screen", WebCommand, vcl::kScScreenSave, true, true},
      {"screen saver sent to the shown screen", [](ScriptedSim&) {}, vcl::kScScreenSave, false,
       true},
      {"screen saver, minimised start",
       [](ScriptedSim& s) { s.process.startup_show = vcl::kSwShowMinNoActive; }, vcl::kScScreenSave,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoWelcomeSim sim;
    c.before(sim);
    const std::uint32_t command = c.command;
    const bool to_the_screen = c.to_the_screen;
    sim.Then([command, to_the_screen](ScriptedSim& s) {
      s.SystemCommand(command, to_the_screen ? s.FormWindow() : 0);
    });
    sim.ThenKeyPress(vcl::kVkReturn);  // closes the box where there is one
    sim.ThenRestoreFromTaskbar();
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);
    EXPECT_EQ(sim.screen_saver_started() || sim.monitor_off(), c.system_acts);
  }
}

}  // namespace
