// What a person and the rest of the system do to the simulated windows:
// keys, the mouse, the taskbar, another program, the end of the session.
#include "platform/sim/sim_window_system.h"

namespace vcl {

void SimWindowSystem::PressKey(VirtualKey key, TShiftState shift) {
  // The open menu takes the keyboard; it closes on the press of Esc.
  if (menu_open) {
    if (key == kVkEscape) CancelMenu();
    return;
  }
  if (!IsOurs(focus)) return;  // the focus is in another program
  if (windows.at(focus).kind == Kind::kMessageBox) {
    // The system's own box: Enter, Esc and Space press its one button.
    if (key == kVkReturn || key == kVkEscape || key == kVkSpace) DismissMessageBox();
    return;
  }
  Message m{MessageKind::kDialogKey};
  m.key = key;
  m.shift = shift;
  queue_.push_back({focus, m, Input::kKeyDown});
}

void SimWindowSystem::ReleaseKey(VirtualKey key, TShiftState shift) {
  // The menu acts on presses; a release while it is open goes nowhere.
  if (menu_open || !IsOurs(focus) || windows.at(focus).kind == Kind::kMessageBox) return;
  Message m{MessageKind::kKeyUp};
  m.key = key;
  m.shift = shift;
  queue_.push_back({focus, m, Input::kKeyUp});
}

void SimWindowSystem::PressRightButton(Point p) {
  if (menu_open) {  // a click outside the open menu closes it, and goes no further
    CancelMenu();
    return;
  }
  const WindowHandle w = WindowAt(p);
  // A disabled window gets no mouse input.
  if (!IsOurs(w) || !windows.at(w).enabled) return;
  // A press on an inactive window activates it (WM_MOUSEACTIVATE).
  if (active != w) Activate(w);
  const Point origin = ClientToScreen(w, {0, 0});
  Message m{MessageKind::kRightButtonDown};
  m.point = {p.x - origin.x, p.y - origin.y};
  Post(w, m);
}

void SimWindowSystem::ReleaseRightButton(Point p) {
  if (menu_open) return;
  const WindowHandle w = capture != 0 ? capture : WindowAt(p);
  if (!IsOurs(w) || !windows.at(w).enabled) return;
  const Point origin = ClientToScreen(w, {0, 0});
  Message m{MessageKind::kRightButtonUp};
  m.point = {p.x - origin.x, p.y - origin.y};
  Post(w, m);
}

void SimWindowSystem::ClickWindow(WindowHandle window) {
  if (menu_open) {
    CancelMenu();
    return;
  }
  const WindowHandle top = TopLevelOf(window);
  if (!windows.at(top).enabled) {
    // A click on a disabled window brings its enabled pop-up forward.
    const WindowHandle popup = LastActivePopup(top);
    if (popup != top && CanActivate(popup)) Activate(popup);
    return;
  }
  if (active != top) Activate(top);
}

void SimWindowSystem::ClickButton(WindowHandle button) {
  const Window& b = windows.at(button);
  ClickWindow(b.owner);
  if (!windows.at(b.owner).enabled || !b.enabled) return;
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
  if (windows.at(window).look.frame != FrameKind::kFixedDialog) return;
  ClickWindow(window);
  Post(window, Message{MessageKind::kClose});
}

void SimWindowSystem::ChooseMenuEntry(const std::string& caption) {
  if (menu_open) menu_choice_ = caption;
}

void SimWindowSystem::CancelMenu() {
  if (menu_open) menu_choice_ = std::string();
}

void SimWindowSystem::DismissMessageBox() { dismiss_message_box_ = true; }

void SimWindowSystem::RequestQuit() { quit_posted_ = true; }

void SimWindowSystem::Advance(std::uint32_t ms) { advance_to_ = now + ms; }

void SimWindowSystem::Busy(std::uint32_t ms) {
  now += ms;
  PostDueTicks();
}

void SimWindowSystem::ActivateOtherProgram() { Activate(other_program); }

void SimWindowSystem::ClickTaskbarButton(WindowHandle window) {
  // Windows 7 and later: the button of a minimised window restores it; the
  // foreground window's minimises it, but only when the window has the
  // minimise style; any other brings the window, or its active pop-up,
  // forward. The shell sends SC_RESTORE and SC_MINIMIZE, which
  // DefWindowProc carries out.
  Window& w = windows.at(window);
  if (w.destroyed || !w.visible) return;
  if (w.state == TWindowState::wsMinimized) {
    Restore(window);
    Activate(LastActivePopup(window));
    return;
  }
  const bool foreground = IsOurs(active) && TopLevelOf(active) != 0 &&
                          (active == window || windows.at(active).owner == window);
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
  session_end_answers.push_back(agreed);
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

}  // namespace vcl
