// The simulated shell: every request recorded; it can be made to find no
// program for the file, as when no browser is installed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/sim/sim_faults.h"

namespace vcl {

class SimShell : public Shell {
 public:
  struct Call {
    WindowHandle owner;
    std::optional<std::string> operation, file, parameters, directory;
    int show_command;
  };

  explicit SimShell(const SimFaults& faults) : faults_(&faults) {}

  // ----- Set-up -----

  // ----- What happened -----
  std::vector<Call> calls;

  // ----- Shell -----
  void ShellExecute(WindowHandle owner, const char* operation, const char* file,
                    const char* parameters, const char* directory, int show_command) override;

 private:
  const SimFaults* faults_;
};

}  // namespace vcl
