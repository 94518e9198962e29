#include "platform/win32/win32_power.h"

#include <windows.h>

namespace vcl {

void Win32Power::SetThreadExecutionState(std::uint32_t flags) {
  ::SetThreadExecutionState(static_cast<EXECUTION_STATE>(flags));
}

}  // namespace vcl
