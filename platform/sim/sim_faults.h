// What the simulated system refuses, set by a test: one object for every
// subsystem, so that a test finds every failure it can ask for in one place.
#pragma once

namespace vcl {

struct SimFaults {
  bool refuse_timers = false;          // SetTimer fails: no timer is left
  bool shell_finds_no_program = false;  // the shell opens nothing; nothing is told
  int failing_registry_call = 0;        // the registry call (1-based, over the run) that fails
  bool no_compositor = false;           // no desktop compositor: the cloak is refused
};

}  // namespace vcl
