// The real power management: kernel32.
#pragma once

#include "platform/power.h"

namespace vcl {

class Win32Power final : public Power {
 public:
  void SetThreadExecutionState(std::uint32_t flags) override;
};

}  // namespace vcl
