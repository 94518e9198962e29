// What a person and the rest of the system do to the simulated windows:
// keys, the mouse, the taskbar, another program, the end of the session.
#include "platform/sim/sim_window_system.h"

namespace vcl {

void SimWindowSystem::PressKey(VirtualKey key, TShiftState shift) {
  // The open menu takes the keyboard; it closes on the press of Esc.
  if (menu_open_) {
    if (key == kVkEscape) CancelMenu();
    return;
  }
  if (!IsOurs(focus_)) return;  // the focus is in another program
  if (windows_.at(focus_).kind == Kind::kMessageBox) {
    // The system's own box: Enter, Esc and Space press its one button.
    if (key == kVkReturn || key == kVkEscape || key == kVkSpace) DismissMessageBox();
    return;
  }
  Message m{MessageKind::kDialogKey};
  m.key = key;
  m.shift = shift;
  queue_.push_back({focus_, m, Input::kKeyDown});
}

void SimWindowSystem::ReleaseKey(VirtualKey key, TShiftState shift) {
  // The menu acts on presses; a release while it is open goes nowhere.
  if (menu_open_ || !IsOurs(focus_) || windows_.at(focus_).kind == Kind::kMessageBox) return;
  Message m{MessageKind::kKeyUp};
  m.key = key;
  m.shift = shift;
  queue_.push_back({focus_, m, Input::kKeyUp});
}

void SimWindowSystem::PressRightButton(Point p) {
  if (menu_open_) {  // a click outside the open menu closes it, and goes no further
    CancelMenu();
    return;
  }
  const WindowHandle w = WindowAt(p);
  // A disabled window gets no mouse input.
  if (!IsOurs(w) || !windows_.at(w).enabled) return;
  // A press on an inactive window activates it (WM_MOUSEACTIVATE).
  if (active_ != w) Activate(w);
  const Point origin = ClientToScreen(w, {0, 0});
  Message m{MessageKind::kRightButtonDown};
  m.point = {p.x - origin.x, p.y - origin.y};
  Post(w, m);
}

void SimWindowSystem::ReleaseRightButton(Point p) {
  if (menu_open_) return;
  const WindowHandle w = capture_ != 0 ? capture_ : WindowAt(p);
  if (!IsOurs(w) || !windows_.at(w).enabled) return;
  const Point origin = ClientToScreen(w, {0, 0});
  Message m{MessageKind::kRightButtonUp};
  m.point = {p.x - origin.x, p.y - origin.y};
  Post(w, m);
}

void SimWindowSystem::ClickWindow(WindowHandle window) {
  if (menu_open_) {
    CancelMenu();
    return;
  }
  const WindowHandle top = TopLevelOf(window);
  if (!windows_.at(top).enabled) {
    // A click on a disabled window brings its enabled pop-up forward.
    const WindowHandle popup = LastActivePopup(top);
    if (popup != top && CanActivate(popup)) Activate(popup);
    return;
  }
  if (active_ != top) Activate(top);
}

void SimWindowSystem::ClickButton(WindowHandle button) {
  const Window& b = windows_.at(button);
  ClickWindow(b.owner);
  if (!windows_.at(b.owner).enabled || !b.enabled) return;
  // A push button takes the focus when pressed and tells its dialog when
  // released (BN_CLICKED in WM_COMMAND).
  SetFocus(button);
  Message m{MessageKind::kCommand};
  m.id = b.id;
  Post(b.owner, m);
}

void SimWindowSystem::ClickCloseButton(WindowHandle window) {
  // Only a frame with a title bar has a close button; it sends SC_CLOSE,
  // which DefWindowProc turns into WM_CLOSE.
  if (windows_.at(window).look.frame != FrameKind::kFixedDialog) return;
  ClickWindow(window);
  Post(window, Message{MessageKind::kClose});
}

void SimWindowSystem::ChooseMenuEntry(const std::string& caption) {
  if (menu_open_) menu_choice_ = caption;
}

void SimWindowSystem::CancelMenu() {
  if (menu_open_) menu_choice_ = std::string();
}

void SimWindowSystem::DismissMessageBox() { dismiss_message_box_ = true; }

void SimWindowSystem::RequestQuit() { quit_posted_ = true; }

void SimWindowSystem::Advance(std::uint32_t ms) { advance_to_ = now_ + ms; }

void SimWindowSystem::Busy(std::uint32_t ms) {
  now_ += ms;
  PostDueTicks();
}

void SimWindowSystem::ActivateOtherProgram() { Activate(other_program); }

void SimWindowSystem::ClickTaskbarButton(WindowHandle window) {
  // Windows 7 and later: the button of a minimised window restores it; the
  // foreground window's minimises it, but only when the window has the
  // minimise style; any other brings the window, or its active pop-up,
  // forward. The shell sends SC_RESTORE and SC_MINIMIZE, which
  // DefWindowProc carries out.
  Window& w = windows_.at(window);
  if (w.destroyed || !w.visible) return;
  if (w.state == TWindowState::wsMinimized) {
    Restore(window);
    Activate(LastActivePopup(window));
    return;
  }
  const bool foreground = IsOurs(active_) && TopLevelOf(active_) != 0 &&
                          (active_ == window || windows_.at(active_).owner == window);
  if (foreground) {
    if (w.look.minimize_box) Minimize(window);
    return;
  }
  Activate(LastActivePopup(window));
}

void SimWindowSystem::CloseFromTaskbar(WindowHandle window) {
  // The entry's close command: SC_CLOSE, which DefWindowProc turns into
  // WM_CLOSE.
  Post(window, Message{MessageKind::kClose});
}

void SimWindowSystem::EndSession() {
  // WM_QUERYENDSESSION to every top-level window, where DefWindowProc
  // agrees; WM_ENDSESSION to each once all have agreed.
  const std::vector<WindowHandle> tops = ThreadWindows();
  bool agreed = true;
  for (WindowHandle w : tops) {
    const MessageResult r = Send(w, Message{MessageKind::kQueryEndSession});
    if (r.handled && r.value == 0) agreed = false;
  }
  session_end_answers_.push_back(agreed);
  if (!agreed) return;
  for (WindowHandle w : tops) {
    Message m{MessageKind::kEndSession};
    m.flag = true;
    Send(w, m);
  }
}

void SimWindowSystem::PostTo(WindowHandle window, const Message& message) {
  Post(window, message);
}

void SimWindowSystem::SystemCapturesMouse(WindowHandle window) { capture_ = window; }

}  // namespace vcl
