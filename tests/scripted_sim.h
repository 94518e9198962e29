// The test script: what a person does, one step each time the program waits
// for input, on the simulated window system; running the program block; and
// views of the program's own windows.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "platform/sim/sim_power.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_window_system.h"
#include "recorder.h"
#include "screen/unit1.h"

namespace testing_support {

// The faults come first: every simulated subsystem is made with them.
struct SimFaultsHolder {
  vcl::SimFaults faults;
};

class ScriptedSim : private SimFaultsHolder, public vcl::SimWindowSystem {
 public:
  ScriptedSim();
  ScriptedSim(const ScriptedSim&) = delete;
  ScriptedSim& operator=(const ScriptedSim&) = delete;
  using Action = std::function<void(ScriptedSim&)>;

  // ----- The script -----
  void Then(Action action);
  void ThenRightClick(vcl::Point screen_point);  // press and release
  void ThenRightButtonPressOnly(vcl::Point screen_point);
  void ThenKeyRelease(vcl::VirtualKey key, vcl::TShiftState shift = {});
  void ThenKeyPress(vcl::VirtualKey key, vcl::TShiftState shift = {});
  void ThenChoose(const std::string& caption);
  void ThenCancelMenu();
  void ThenDismissMessageBox();
  void ThenClickBoxButton();
  void ThenCloseBox();
  void ThenAdvance(std::uint32_t ms);
  void ThenBusy(std::uint32_t ms);
  void ThenSwitchAway();  // another program is activated
  void ThenSwitchBack();  // a click on the test screen
  void ThenMinimizeFromTaskbar();
  void ThenRestoreFromTaskbar();
  void ThenPost(vcl::MessageKind kind, bool flag = false);
  void ThenEndSession();
  void ThenPostQuit();

  // Runs the program block from a fresh program state; the exit code.
  int Run();

  // ----- The rest of the simulated system -----
  using SimFaultsHolder::faults;
  vcl::SimRegistry registry{faults};
  vcl::SimProcess process;
  vcl::SimShell shell{faults};
  vcl::SimPower power;
  // Every call the program makes on the system, in order.
  Recorder recorder{*this, registry, process, shell, power};

  // ----- Views -----
  bool script_ran_out = false;
  vcl::WindowHandle FormWindow() const;  // the test screen: the first form made
  vcl::WindowHandle OpenBox() const;     // the visible information box, if any
  const Window& Screen() const { return windows().at(FormWindow()); }
  // (time, colour) of every fill of the test screen, erases included.
  std::vector<std::pair<std::uint32_t, vcl::TColor>> ScreenFills() const;
  bool OkFocused(vcl::WindowHandle box) const { return focus() == windows().at(box).button; }

 private:
  void RunNext();

  std::deque<Action> script_;
  int idle_after_end_ = 0;
};

inline int RunProgram(ScriptedSim& sim) { return sim.Run(); }

// Starts without the welcome box in the way.
struct NoWelcomeSim : ScriptedSim {
  NoWelcomeSim() { process.command_line = "Vexo.exe no_welcome"; }
};

// Calls named `name` made on a window: on the test screen, or on any
// information box.
int CountOnScreen(const ScriptedSim& sim, const char* name);
int CountOnBoxes(const ScriptedSim& sim, const char* name);
// The expected call `name(screen, args...)`.
Expected OnScreen(const ScriptedSim& sim, const char* name, std::initializer_list<Arg> args);

}  // namespace testing_support
