// The real process: kernel32.
#pragma once

#include "platform/process.h"

namespace vcl {

class Win32Process final : public Process {
 public:
  std::string CommandLine() override;
  std::optional<int> StartupShowCommand() override;
  [[noreturn]] void ExitProcess(int code) override;
};

}  // namespace vcl
