// The simulated shell: every request recorded; it can be made to find no
// program for the file, as when no browser is installed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace vcl {

class SimShell : public Shell {
 public:
  struct Call {
    WindowHandle owner;
    std::optional<std::string> operation, file, parameters, directory;
    int show_command;
  };

  // ----- Set-up -----
  bool fails = false;  // the shell finds no program; nothing is told
  std::vector<std::string>* log = nullptr;  // where each request is noted, if anywhere

  // ----- What happened -----
  std::vector<Call> calls;

  // ----- Shell -----
  void ShellExecute(WindowHandle owner, const char* operation, const char* file,
                    const char* parameters, const char* directory, int show_command) override;
};

}  // namespace vcl
