#include "platform/display_keeper.h"

#include "platform/power.h"
#include "platform/types.h"

namespace vcl {

void DisplayKeeper::Update(bool seen) {
  if (seen == held_) return;
  held_ = seen;
  // ES_CONTINUOUS alone drops what the thread held; nothing of the user's
  // settings is changed.
  power_.SetThreadExecutionState(seen ? kEsContinuous | kEsDisplayRequired : kEsContinuous);
}

bool DisplayKeeper::Refuses(std::uint32_t system_command) const {
  // The execution state does not stop the screen saver; refusing its
  // command does, and refusing the monitor's power-off keeps it on.
  return held_ && (system_command == kScScreenSave || system_command == kScMonitorPower);
}

}  // namespace vcl
