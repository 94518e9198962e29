// The display: its mode, and the screen saver's and the monitor power-off's
// system commands.
#include "platform/sim/sim_window_system.h"

namespace vcl {

void SimWindowSystem::SystemCommand(std::uint32_t command, WindowHandle to) {
  // Another program's window lets it happen.
  if (to == 0) to = TopLevelOf(active_);
  bool refused = false;
  if (IsOurs(to)) {
    Message m{MessageKind::kSysCommand};
    m.id = command;
    refused = Send(to, m).handled;
  }
  if (refused) return;
  if (command == kScScreenSave) screen_saver_started_ = true;
  if (command == kScMonitorPower) monitor_off_ = true;
}

void SimWindowSystem::ChangeDisplayMode(int width, int height) {
  // The primary's mode: it stays at the origin.
  monitors.front() = {0, 0, width, height};
  // WM_DISPLAYCHANGE goes to every top-level window. Wine leaves a
  // maximised window at its old size (seen); Windows documents nothing else.
  for (WindowHandle w : ThreadWindows()) Send(w, Message{MessageKind::kDisplayChange});
}

void SimWindowSystem::MoveWindow(WindowHandle window, const Rect& rect) {
  Window& w = windows_.at(window);
  if (w.kind == Kind::kForm && w.state == TWindowState::wsMaximized) {
    w.maximized_rect = rect;  // SetWindowPos keeps a maximised window maximised
  } else {
    w.normal_placement = rect;
  }
  // The part that came to light is painted (SetWindowPos invalidates it).
  w.needs_paint = true;
}

}  // namespace vcl
