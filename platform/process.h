// The process: how it was started and how it ends.
#pragma once

#include <optional>
#include <string>

namespace vcl {

class Process {
 public:
  virtual ~Process() = default;

  virtual std::string CommandLine() = 0;
  // The show command of the start-up information, when it carries one.
  virtual std::optional<int> StartupShowCommand() = 0;
  [[noreturn]] virtual void ExitProcess(int code) = 0;
};

}  // namespace vcl
