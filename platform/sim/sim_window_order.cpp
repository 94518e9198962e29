// Windows and their order: the top-most band, owned windows, showing and
// hiding; activation and the keyboard focus; where a window is on the screen.
#include "platform/sim/sim_window_system.h"

#include <algorithm>

#include "platform/sim/sim_monitors.h"

namespace vcl {

namespace {

bool Contains(const Rect& r, Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

// ----- Windows -----

WindowHandle SimWindowSystem::NewWindow(Window window) {
  const WindowHandle h = next_handle_++;
  const bool top_level = window.kind != Kind::kButton;
  windows_[h] = std::move(window);
  if (top_level) {
    z_order_.insert(z_order_.begin(), h);
    Restack();
  }
  return h;
}

void SimWindowSystem::RegisterFormClass(const FormClassLook& look) {
  // A class name is registered once; a second registration fails.
  if (!form_class_) form_class_ = look;
}

WindowHandle SimWindowSystem::CreateFormWindow(const FormWindowParams& params,
                                               MessageTarget* target) {
  // CreateWindowEx fails for a class that was never registered.
  if (!form_class_) return 0;
  Window w;
  w.kind = Kind::kForm;
  w.target = target;
  w.caption = params.caption;
  w.look = params.look;
  w.normal_placement = params.normal_placement;
  const WindowHandle h = NewWindow(w);
  return h;
}

WindowHandle SimWindowSystem::CreateInfoBoxWindow(const InfoBoxContents& contents,
                                                  MessageTarget* target) {
  Window w;
  w.kind = Kind::kInfoBox;
  w.target = target;
  w.owner = contents.owner;
  w.caption = contents.title;
  w.text = contents.text;
  w.look.frame = contents.frame;
  w.box = contents;
  // An owned window shares its owner's band.
  w.topmost = contents.owner != 0 && windows_.at(contents.owner).topmost;
  const WindowHandle h = NewWindow(w);
  Window button;
  button.kind = Kind::kButton;
  button.owner = h;
  button.visible = true;
  button.caption = contents.button.caption;
  button.id = contents.button.id;
  windows_.at(h).button = NewWindow(button);
  return h;
}

void SimWindowSystem::DestroyWindow(WindowHandle window) {
  Window& w = windows_.at(window);
  // Owned windows and controls go first.
  for (auto& [h, other] : windows_) {
    if (other.owner == window && !other.destroyed) {
      if (other.kind == Kind::kButton) {
        other.destroyed = true;
        if (focus_ == h) focus_ = 0;
      } else {
        DestroyWindow(h);
      }
    }
  }
  for (auto it = timers_.begin(); it != timers_.end();) {
    it = it->first.first == window ? timers_.erase(it) : std::next(it);
  }
  // Destroying a shown window hides it first, with what hiding does.
  if (w.visible) Hide(window);
  // The record stays, so that tests can read what the window showed last.
  w.destroyed = true;
  w.target = nullptr;
  z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), window), z_order_.end());
  if (focus_ == window) focus_ = 0;
  if (active_ == window) active_ = 0;
}

std::vector<WindowHandle> SimWindowSystem::ThreadWindows() {
  std::vector<WindowHandle> ours;
  for (WindowHandle w : z_order_) {
    if (IsOurs(w)) ours.push_back(w);
  }
  return ours;
}

void SimWindowSystem::SetState(WindowHandle window, TWindowState state) {
  // Maximising covers, as it is now, the monitor nearest the normal
  // placement (WM_GETMINMAXINFO's default).
  if (state == TWindowState::wsMaximized) {
    Window& w = windows_.at(window);
    w.maximized_rect = monitors[MonitorOfRect(monitors, w.normal_placement, NoMonitor::kNearest)];
  }
  windows_.at(window).state = state;
  // While the active window is minimised no window has the keyboard focus
  // (WM_SYSKEYDOWN: keys then go to the active window itself).
  if (state == TWindowState::wsMinimized && focus_ != 0 && TopLevelOf(focus_) == window) {
    focus_ = 0;
  }
  Message m{MessageKind::kSize};
  m.state = state;
  Send(window, m);
}

void SimWindowSystem::Hide(WindowHandle window) {
  Window& w = windows_.at(window);
  w.visible = false;
  if (focus_ == window || TopLevelOf(focus_) == window) focus_ = 0;
  Uncover(window);
  // Hiding the active window activates another: its owner when it can be,
  // else the next one below, as WINPOS_ActivateOtherWindow does.
  if (active_ == window) ActivateOtherWindow(window);
}

void SimWindowSystem::Minimize(WindowHandle window) {
  Window& w = windows_.at(window);
  if (w.state == TWindowState::wsMinimized) return;
  w.restore_to_maximized = w.state == TWindowState::wsMaximized;
  Uncover(window);
  SetState(window, TWindowState::wsMinimized);
  // A minimised window goes to the bottom of its band, and the next
  // window is activated (SW_MINIMIZE).
  z_order_.erase(std::find(z_order_.begin(), z_order_.end(), window));
  z_order_.push_back(window);
  Restack();
  const bool was_active = active_ == window || (IsOurs(active_) && windows_.at(active_).owner == window);
  if (was_active) ActivateOtherWindow(window);
}

void SimWindowSystem::Restore(WindowHandle window) {
  Window& w = windows_.at(window);
  if (w.state != TWindowState::wsMinimized) return;
  SetState(window, w.restore_to_maximized ? TWindowState::wsMaximized : TWindowState::wsNormal);
  // A window that comes back is erased at once and painted later.
  EraseOnShow(window);
  w.needs_paint = true;
  // Restored, the active window gets the focus back (Wine's show_window:
  // "if previous state was minimized Windows sets focus to the window").
  if (active_ == window) SetFocus(window);
  Compose();
}

void SimWindowSystem::ShowWindow(WindowHandle window, int cmd) {
  Window& w = windows_.at(window);
  if (cmd == kSwHide) {
    if (w.visible) Hide(window);
    return;
  }
  const bool was_visible = w.visible;
  const bool was_minimized = w.state == TWindowState::wsMinimized;
  w.visible = true;
  switch (cmd) {
    case kSwMinimize:
      if (!was_visible) w.state = TWindowState::wsNormal;
      Minimize(window);
      return;
    case kSwShowMinNoActive:
      SetState(window, TWindowState::wsMinimized);
      return;
    case kSwShowMinimized:
      SetState(window, TWindowState::wsMinimized);
      Activate(window);
      return;
    case kSwRestore:
      if (was_minimized) {
        Restore(window);
        Activate(window);
        return;
      }
      SetState(window, TWindowState::wsNormal);
      break;
    case kSwShowMaximized:
      SetState(window, TWindowState::wsMaximized);
      break;
    default:  // SW_SHOWNORMAL and the rest show the normal placement
      SetState(window, TWindowState::wsNormal);
      break;
  }
  // Showing a window erases it at once (RDW_ERASENOW) and paints it later.
  if (!was_visible || was_minimized) {
    EraseOnShow(window);
    w.needs_paint = true;
  }
  Compose();
  Activate(window);
}

void SimWindowSystem::Restack() {
  // The top-most band above the rest, each keeping its order...
  std::stable_partition(z_order_.begin(), z_order_.end(),
                        [this](WindowHandle w) { return windows_.at(w).topmost; });
  // ...and owned windows always above their owner.
  for (bool moved = true; moved;) {
    moved = false;
    for (std::size_t i = 0; i < z_order_.size() && !moved; ++i) {
      const WindowHandle owner = windows_.at(z_order_[i]).owner;
      if (owner == 0) continue;
      auto o = std::find(z_order_.begin(), z_order_.end(), owner);
      if (o == z_order_.end() || static_cast<std::size_t>(o - z_order_.begin()) > i) continue;
      const WindowHandle owned = z_order_[i];
      z_order_.erase(z_order_.begin() + static_cast<std::ptrdiff_t>(i));
      z_order_.insert(std::find(z_order_.begin(), z_order_.end(), owner), owned);
      moved = true;
    }
  }
}

void SimWindowSystem::MoveToTopOfBand(WindowHandle window) {
  auto it = std::find(z_order_.begin(), z_order_.end(), window);
  if (it == z_order_.end()) return;
  z_order_.erase(it);
  z_order_.insert(z_order_.begin(), window);
  Restack();
}

void SimWindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  // HWND_TOPMOST makes the window and its owned windows top-most;
  // HWND_NOTOPMOST makes it, its owners and its owned windows ordinary and
  // puts it above all ordinary windows (SetWindowPos).
  if (!topmost && !windows_.at(window).topmost) return;
  std::vector<WindowHandle> affected = {window};
  for (std::size_t i = 0; i < affected.size(); ++i) {
    for (const auto& [h, w] : windows_) {
      if (w.owner == affected[i] && w.kind != Kind::kButton) affected.push_back(h);
    }
  }
  if (!topmost) {
    for (WindowHandle o = windows_.at(window).owner; o != 0; o = windows_.at(o).owner) {
      affected.push_back(o);
    }
  }
  for (WindowHandle w : affected) windows_.at(w).topmost = topmost;
  MoveToTopOfBand(window);
}

bool SimWindowSystem::IsWindowVisible(WindowHandle window) {
  auto it = windows_.find(window);
  return it != windows_.end() && it->second.visible;
}

bool SimWindowSystem::IsWindowEnabled(WindowHandle window) {
  auto it = windows_.find(window);
  return it != windows_.end() && it->second.enabled;
}

void SimWindowSystem::EnableWindow(WindowHandle window, bool enable) {
  SetEnabled(window, enable);
}

void SimWindowSystem::SetEnabled(WindowHandle window, bool enable) {
  Window& w = windows_.at(window);
  w.enabled = enable;
  if (!enable) {
    // A window being disabled loses the capture and the focus.
    if (capture_ == window) capture_ = 0;
    if (focus_ == window) focus_ = 0;
  }
}

// ----- Activation and focus -----

bool SimWindowSystem::CanActivate(WindowHandle window) const {
  auto it = windows_.find(window);
  if (it == windows_.end()) return false;
  const Window& w = it->second;
  return !w.destroyed && w.visible && w.enabled && w.kind != Kind::kButton;
}

void SimWindowSystem::Activate(WindowHandle window) {
  if (window == active_) return;
  const WindowHandle previous = active_;
  active_ = window;
  activations_.push_back(window);
  MoveToTopOfBand(window);
  if (IsOurs(previous)) {
    Message m{MessageKind::kActivate};
    m.flag = false;
    Send(previous, m);
  }
  if (!IsOurs(window)) {
    focus_ = window;
    return;
  }
  Message m{MessageKind::kActivate};
  m.flag = true;
  const MessageResult result = Send(window, m);
  // DefWindowProc puts the focus on the window it activates, unless it is
  // minimised.
  if (!result.handled && active_ == window) {
    if (windows_.at(window).state == TWindowState::wsMinimized) {
      focus_ = 0;
    } else {
      SetFocus(window);
    }
  }
}

void SimWindowSystem::ActivateOtherWindow(WindowHandle leaving) {
  const WindowHandle owner = windows_.at(leaving).owner;
  if (owner != 0 && CanActivate(owner)) {
    Activate(owner);
    return;
  }
  auto it = std::find(z_order_.begin(), z_order_.end(), leaving);
  if (it != z_order_.end()) {
    for (auto below = std::next(it); below != z_order_.end(); ++below) {
      if (CanActivate(*below)) {
        Activate(*below);
        return;
      }
    }
  }
  for (WindowHandle w : z_order_) {
    if (w == leaving) break;
    if (CanActivate(w)) {
      Activate(w);
      return;
    }
  }
  active_ = 0;
  focus_ = 0;
}

void SimWindowSystem::SetFocus(WindowHandle window) {
  if (focus_ == window) return;
  // SetFocus fails on a window whose top-level window is minimised.
  if (windows_.count(TopLevelOf(window)) &&
      windows_.at(TopLevelOf(window)).state == TWindowState::wsMinimized) {
    return;
  }
  // Focusing a window of an inactive top-level window activates that first.
  const WindowHandle top = TopLevelOf(window);
  if (top != active_ && CanActivate(top)) {
    Activate(top);
    if (focus_ == window) return;
  }
  focus_ = window;
  Send(window, Message{MessageKind::kSetFocus});
}

void SimWindowSystem::SetActiveWindow(WindowHandle window) {
  if (CanActivate(window)) Activate(window);
}

void SimWindowSystem::SetForegroundWindow(WindowHandle window) {
  // The foreground lock: a thread that is in the foreground may hand it on.
  // The lock's other grants (the last input, a lapsed timeout) are not
  // imitated, so from the background the call changes nothing.
  if (IsOurs(active_) && CanActivate(window)) Activate(window);
}

void SimWindowSystem::FocusButton(WindowHandle box, std::uint32_t id) {
  for (const auto& [h, w] : windows_) {
    if (w.kind == Kind::kButton && w.owner == box && w.id == id && !w.destroyed) {
      SetFocus(h);
      return;
    }
  }
}

WindowHandle SimWindowSystem::LastActivePopup(WindowHandle window) const {
  for (auto it = activations_.rbegin(); it != activations_.rend(); ++it) {
    if (windows_.at(*it).owner == window && CanActivate(*it)) return *it;
  }
  return window;
}

// ----- Geometry -----

Rect SimWindowSystem::WindowRect(WindowHandle window) const {
  const Window& w = windows_.at(window);
  switch (w.kind) {
    case Kind::kInfoBox:
      return w.box.geometry.window;
    case Kind::kForm:
      return w.state == TWindowState::wsMaximized ? w.maximized_rect : w.normal_placement;
    case Kind::kMessageBox:
      return w.normal_placement;  // placed when it opened
    case Kind::kOtherProgram:
    case Kind::kButton:
      break;
  }
  return monitors.front();
}

Rect SimWindowSystem::MonitorRect(WindowHandle window) {
  if (window == 0 || !windows_.count(window)) return monitors.front();
  return monitors[MonitorOfRect(monitors, WindowRect(window), NoMonitor::kPrimary)];
}

Rect SimWindowSystem::MonitorRectOf(const Rect& rect) {
  return monitors[MonitorOfRect(monitors, rect, NoMonitor::kNearest)];
}

void SimWindowSystem::MoveToMonitor(WindowHandle window, std::size_t monitor) {
  Window& w = windows_.at(window);
  const Rect& from = monitors[MonitorOfRect(monitors, WindowRect(window), NoMonitor::kNearest)];
  const Rect& to = monitors.at(monitor);
  const int dx = to.left - from.left;
  const int dy = to.top - from.top;
  const Rect& r = w.normal_placement;
  w.normal_placement = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  if (w.state == TWindowState::wsMaximized) w.maximized_rect = to;
}

WindowHandle SimWindowSystem::WindowAt(Point p) const {
  for (WindowHandle w : z_order_) {
    const Window& win = windows_.at(w);
    if (win.visible && win.state != TWindowState::wsMinimized && Contains(WindowRect(w), p)) {
      return w;
    }
  }
  return 0;
}

Point SimWindowSystem::ClientToScreen(WindowHandle window, Point point) {
  const Rect r = WindowRect(window);
  const FrameInsets frame = FrameOf(windows_.at(window).look.frame);
  return {r.left + frame.left + point.x, r.top + frame.top + point.y};
}

FrameInsets SimWindowSystem::FrameOf(FrameKind frame) {
  switch (frame) {
    case FrameKind::kFixedDialog:
      return {3, 22, 3, 3};
    case FrameKind::kNone:
      break;
  }
  return {};
}

void SimWindowSystem::SendCancelMode(WindowHandle window) {
  if (capture_ == window) capture_ = 0;
}

}  // namespace vcl
