// The simulated power management: every execution state recorded, and the
// one that lasts (ES_CONTINUOUS) kept as the system keeps it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/power.h"
#include "platform/types.h"

namespace vcl {

class SimPower : public Power {
 public:
  // ----- What happened -----
  std::vector<std::uint32_t> execution_states;  // each SetThreadExecutionState
  // The thread holds the display on.
  bool DisplayRequired() const { return (lasting_ & kEsDisplayRequired) != 0; }

  // ----- Power -----
  void SetThreadExecutionState(std::uint32_t flags) override {
    execution_states.push_back(flags);
    // Without ES_CONTINUOUS the call only resets the idle timers once.
    if ((flags & kEsContinuous) != 0) lasting_ = flags;
  }

 private:
  std::uint32_t lasting_ = 0;
};

}  // namespace vcl
