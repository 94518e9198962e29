// The simulated process: the command line and start-up show request a test
// sets, and an end that hands the exit code back to the test.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"

namespace vcl {

// Thrown by ExitProcess, so that a test gets the exit code back.
struct SimExit {
  int code;
};

class SimProcess : public Process {
 public:
  // ----- Set-up -----
  std::string command_line = "Vexo.exe";
  std::optional<int> startup_show;

  // ----- Process -----
  std::string CommandLine() override { return command_line; }
  std::optional<int> StartupShowCommand() override { return startup_show; }
  [[noreturn]] void ExitProcess(int code) override;
};

}  // namespace vcl
