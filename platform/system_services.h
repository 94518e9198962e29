// The system under the core: one interface per subsystem, filled in by a
// back end (the real system, or the simulation in tests).
#pragma once

namespace vcl {

class WindowSystem;
class Registry;
class Process;
class Shell;
class Power;

struct SystemServices {
  WindowSystem& windows;
  Registry& registry;
  Process& process;
  Shell& shell;
  Power& power;
};

}  // namespace vcl
