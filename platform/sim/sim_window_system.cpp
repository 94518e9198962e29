// The simulated window system: its start, and the views tests read.
#include "platform/sim/sim_window_system.h"

namespace vcl {

SimWindowSystem::SimWindowSystem(const SimFaults& faults)
    : other_program(0x10), faults_(&faults) {
  // The program the user started this one from: visible, active, and
  // ready to take the activation back.
  Window other;
  other.kind = Kind::kOtherProgram;
  other.visible = true;
  other.caption = "another program";
  windows_[other_program] = other;
  z_order_.push_back(other_program);
  active_ = other_program;
  focus_ = other_program;
}

// ----- Views -----

std::map<std::uint32_t, std::uint32_t> SimWindowSystem::RunningTimers() const {
  std::map<std::uint32_t, std::uint32_t> running;
  for (const auto& [key, timer] : timers_) running[key.second] = timer.interval;
  return running;
}

std::vector<WindowHandle> SimWindowSystem::TaskbarButtons() const {
  // A visible top-level window has a button when it asks for one, or when
  // it has no owner.
  std::vector<WindowHandle> buttons;
  for (WindowHandle w : z_order_) {
    const Window& win = windows_.at(w);
    if (IsOurs(w) && win.visible && (win.look.taskbar_entry || win.owner == 0)) {
      buttons.push_back(w);
    }
  }
  return buttons;
}

WindowHandle SimWindowSystem::TopLevelOf(WindowHandle window) const {
  auto it = windows_.find(window);
  if (it == windows_.end()) return 0;
  return it->second.kind == Kind::kButton ? it->second.owner : window;
}

bool SimWindowSystem::IsOurs(WindowHandle window) const {
  auto it = windows_.find(window);
  return it != windows_.end() && !it->second.destroyed && it->second.kind != Kind::kOtherProgram;
}

}  // namespace vcl
