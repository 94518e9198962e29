// Power: what the thread asks of the system's sleep and display timeouts.
#pragma once

#include <cstdint>

namespace vcl {

class Power {
 public:
  virtual ~Power() = default;

  // The thread's execution state, with the system's flags.
  virtual void SetThreadExecutionState(std::uint32_t flags) = 0;
};

}  // namespace vcl
