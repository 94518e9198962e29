// Small helpers shared by the host tests: run the program on a scripted
// simulated window system and read back what a person would have seen.
#pragma once

#include <string>

#include "platform/sim/sim_window_system.h"
#include "screen/unit1.h"

namespace testing_support {

// A fresh program state for each run: the program-wide values start empty.
inline int RunProgram(vcl::SimWindowSystem& sim) {
  Form1 = nullptr;
  HomePage.clear();
  VersionText.clear();
  NoWelcome = false;
  return vcl::RunVexo(sim);
}

// Starts without the welcome box in the way.
inline vcl::SimWindowSystem NoWelcomeSim() {
  vcl::SimWindowSystem sim;
  sim.command_line = "Vexo.exe no_welcome";
  return sim;
}

inline int CountInLog(const vcl::SimWindowSystem& sim, const std::string& entry) {
  int n = 0;
  for (const std::string& line : sim.log) n += line == entry ? 1 : 0;
  return n;
}

}  // namespace testing_support
