#include "platform/sim/sim_window_system.h"

#include <algorithm>
#include <stdexcept>

namespace vcl {
namespace {

// Keeps the stack of messages being dispatched right when a handler throws
// (the end of the process is a throw here).
class Dispatching {
 public:
  Dispatching(std::vector<MessageKind>& stack, MessageKind kind) : stack_(stack) {
    stack_.push_back(kind);
  }
  ~Dispatching() { stack_.pop_back(); }
  Dispatching(const Dispatching&) = delete;
  Dispatching& operator=(const Dispatching&) = delete;

 private:
  std::vector<MessageKind>& stack_;
};

bool Contains(const Rect& r, Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

SimWindowSystem::SimWindowSystem() : other_program(0x10) {
  // The program the user started this one from: visible, active, and
  // ready to take the activation back.
  Window other;
  other.kind = Kind::kOtherProgram;
  other.visible = true;
  other.caption = "another program";
  windows[other_program] = other;
  z_order.push_back(other_program);
  active = other_program;
  focus = other_program;
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
  for (WindowHandle w : z_order) {
    const Window& win = windows.at(w);
    if (IsOurs(w) && win.visible && (win.look.taskbar_entry || win.owner == 0)) {
      buttons.push_back(w);
    }
  }
  return buttons;
}

WindowHandle SimWindowSystem::TopLevelOf(WindowHandle window) const {
  auto it = windows.find(window);
  if (it == windows.end()) return 0;
  return it->second.kind == Kind::kButton ? it->second.owner : window;
}

bool SimWindowSystem::IsOurs(WindowHandle window) const {
  auto it = windows.find(window);
  return it != windows.end() && !it->second.destroyed && it->second.kind != Kind::kOtherProgram;
}

// ----- Messages -----

MessageResult SimWindowSystem::Send(WindowHandle window, const Message& message) {
  auto it = windows.find(window);
  if (it == windows.end() || it->second.destroyed || it->second.target == nullptr) return {};
  Dispatching entry(dispatching, message.kind);
  return it->second.target->HandleMessage(message);
}

void SimWindowSystem::Post(WindowHandle window, const Message& message) {
  queue_.push_back({window, message, Input::kNone});
}

void SimWindowSystem::Deliver(WindowHandle dialog, const Posted& posted) {
  if (!IsOurs(posted.window)) return;
  const Window& w = windows.at(posted.window);
  switch (posted.input) {
    case Input::kKeyDown:
      // The back end passes key presses to DefWindowProc, which does nothing
      // with them here; only the dialog manager acts on them.
      if (dialog != 0 && TopLevelOf(posted.window) == dialog) DialogManager(dialog, posted);
      return;
    case Input::kKeyUp:
      if (w.kind == Kind::kButton) {
        // A push button held down by Space is pressed when Space comes up.
        if (posted.message.key == kVkSpace && pressed_button_ == posted.window) {
          pressed_button_ = 0;
          Message m{MessageKind::kCommand};
          m.id = w.id;
          Send(w.owner, m);
        }
        return;
      }
      Send(posted.window, posted.message);
      return;
    case Input::kNone:
      break;
  }
  const MessageResult result = Send(posted.window, posted.message);
  if (!result.handled && posted.message.kind == MessageKind::kRightButtonUp) {
    // DefWindowProc turns the right button's release into WM_CONTEXTMENU.
    Message m{MessageKind::kContextMenu};
    m.point = posted.message.point;
    Send(posted.window, m);
  }
}

void SimWindowSystem::DialogManager(WindowHandle dialog, const Posted& posted) {
  // IsDialogMessage: Enter presses the default button (IDOK for a window
  // that is no dialog class), Esc and Ctrl+Break (VK_CANCEL) send IDCANCEL,
  // whatever Shift or Ctrl; Space holds down the focused push button. With
  // Alt the key is a system key, which it leaves alone.
  const Message& key = posted.message;
  if (key.shift.alt) return;
  Message command{MessageKind::kCommand};
  switch (key.key) {
    case kVkReturn:
      command.id = kIdOk;
      Send(dialog, command);
      return;
    case kVkEscape:
    case kVkCancel:
      command.id = kIdCancel;
      Send(dialog, command);
      return;
    case kVkSpace:
      if (windows.at(focus).kind == Kind::kButton) pressed_button_ = focus;
      return;
    default:
      return;
  }
}

std::optional<SimWindowSystem::Posted> SimWindowSystem::TakeMessage() {
  if (!queue_.empty()) {
    const Posted posted = queue_.front();
    queue_.pop_front();
    return posted;
  }
  // WM_PAINT comes when no posted message is left.
  for (WindowHandle w : z_order) {
    const Window& win = windows.at(w);
    if (IsOurs(w) && win.visible && win.needs_paint && win.state != TWindowState::wsMinimized) {
      Posted paint{w, Message{MessageKind::kPaint}, Input::kNone};
      paint.paint = true;
      return paint;
    }
  }
  return std::nullopt;
}

void SimWindowSystem::Handle(WindowHandle dialog, const Posted& posted) {
  if (posted.paint) {
    if (IsOurs(posted.window) && windows.at(posted.window).needs_paint) PaintNow(posted.window);
    return;
  }
  Deliver(dialog, posted);
}

bool SimWindowSystem::DispatchOne(WindowHandle dialog) {
  const std::optional<Posted> posted = TakeMessage();
  if (!posted) return false;
  Handle(dialog, *posted);
  return true;
}

PeekResult SimWindowSystem::PeekMessage(PeekedMessage* message) {
  held_.reset();
  // WM_QUIT comes once no posted message is left.
  if (queue_.empty() && quit_posted_) {
    quit_posted_ = false;
    return PeekResult::kQuit;
  }
  held_ = TakeMessage();
  if (!held_) return PeekResult::kEmpty;
  *message = PeekedMessage{};
  if (IsOurs(held_->window)) message->top_level = TopLevelOf(held_->window);
  if (held_->input == Input::kKeyDown) {
    message->key_press = true;
    message->key = held_->message.key;
    message->shift = held_->message.shift;
  }
  return PeekResult::kMessage;
}

bool SimWindowSystem::IsDialogMessage(WindowHandle dialog) {
  // The dialog manager takes every message of the dialog's and its
  // controls', and handles the dialog keys among them.
  if (!held_ || !IsOurs(held_->window) || TopLevelOf(held_->window) != dialog) return false;
  const Posted posted = *held_;
  held_.reset();
  Handle(dialog, posted);
  return true;
}

void SimWindowSystem::DispatchMessage() {
  if (!held_) return;
  const Posted posted = *held_;
  held_.reset();
  Handle(0, posted);
}

void SimWindowSystem::Idle() {
  if (now < advance_to_) {
    // Up to the next tick, so that each is handled at its own time.
    std::uint32_t next = advance_to_;
    for (const auto& [key, timer] : timers_) next = std::min(next, timer.due);
    now = next;
    PostDueTicks();
    return;
  }
  if (!on_idle) throw std::logic_error("the program waits and nothing drives the system");
  on_idle();
}

void SimWindowSystem::PostQuitMessage(int code) {
  log.push_back("PostQuitMessage " + std::to_string(code));
  quit_posted_ = true;
}

// ----- Painting -----

void SimWindowSystem::EraseNow(WindowHandle window) {
  Window& w = windows.at(window);
  w.needs_erase = false;
  if (w.kind != Kind::kForm) return;  // the system draws its dialogs itself
  painting_ = erasing_ = true;
  const MessageResult result = Send(window, Message{MessageKind::kEraseBackground});
  painting_ = erasing_ = false;
  if (!result.handled) {
    // DefWindowProc erases with the class brush.
    fills.push_back({now, window, form_class->background, true, true});
    w.shown_color = form_class->background;
  }
}

void SimWindowSystem::PaintNow(WindowHandle window) {
  Window& w = windows.at(window);
  w.needs_paint = false;
  // BeginPaint erases first when the update region asks for it.
  if (w.needs_erase) EraseNow(window);
  painting_ = true;
  Send(window, Message{MessageKind::kPaint});
  painting_ = false;
}

void SimWindowSystem::Invalidate(WindowHandle window, bool erase) {
  Window& w = windows.at(window);
  w.needs_paint = true;
  w.needs_erase = w.needs_erase || erase;
}

void SimWindowSystem::FillClient(WindowHandle window, TColor color) {
  if (!painting_) {
    ++fills_outside_paint;
    return;
  }
  fills.push_back({now, window, color, erasing_, false});
  windows.at(window).shown_color = color;
}

void SimWindowSystem::Uncover(WindowHandle window) {
  // What lay below comes to light: invalid, to be erased and painted.
  auto it = std::find(z_order.begin(), z_order.end(), window);
  if (it == z_order.end()) return;
  for (++it; it != z_order.end(); ++it) {
    Window& below = windows.at(*it);
    if (IsOurs(*it) && below.visible) below.needs_paint = below.needs_erase = true;
  }
}

// ----- Windows -----

WindowHandle SimWindowSystem::NewWindow(Window window) {
  const WindowHandle h = next_handle_++;
  const bool top_level = window.kind != Kind::kButton;
  windows[h] = std::move(window);
  if (top_level) {
    z_order.insert(z_order.begin(), h);
    Restack();
  }
  return h;
}

void SimWindowSystem::RegisterFormClass(const FormClassLook& look) {
  log.push_back("RegisterFormClass");
  // A class name is registered once; a second registration fails.
  if (!form_class) form_class = look;
}

WindowHandle SimWindowSystem::CreateFormWindow(const FormWindowParams& params,
                                               MessageTarget* target) {
  // CreateWindowEx fails for a class that was never registered.
  if (!form_class) return 0;
  Window w;
  w.kind = Kind::kForm;
  w.target = target;
  w.caption = params.caption;
  w.look = params.look;
  w.normal_placement = params.normal_placement;
  const WindowHandle h = NewWindow(w);
  log.push_back("CreateFormWindow " + std::to_string(h));
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
  w.topmost = contents.owner != 0 && windows.at(contents.owner).topmost;
  const WindowHandle h = NewWindow(w);
  Window button;
  button.kind = Kind::kButton;
  button.owner = h;
  button.visible = true;
  button.caption = contents.button.caption;
  button.id = contents.button.id;
  windows.at(h).button = NewWindow(button);
  log.push_back("CreateInfoBoxWindow");
  return h;
}

void SimWindowSystem::DestroyWindow(WindowHandle window) {
  Window& w = windows.at(window);
  log.push_back(w.kind == Kind::kInfoBox ? "DestroyInfoBox" : "DestroyFormWindow");
  // Owned windows and controls go first.
  for (auto& [h, other] : windows) {
    if (other.owner == window && !other.destroyed) {
      if (other.kind == Kind::kButton) {
        other.destroyed = true;
        if (focus == h) focus = 0;
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
  z_order.erase(std::remove(z_order.begin(), z_order.end(), window), z_order.end());
  if (focus == window) focus = 0;
  if (active == window) active = 0;
}

std::vector<WindowHandle> SimWindowSystem::ThreadWindows() {
  std::vector<WindowHandle> ours;
  for (WindowHandle w : z_order) {
    if (IsOurs(w)) ours.push_back(w);
  }
  return ours;
}

void SimWindowSystem::SetState(WindowHandle window, TWindowState state) {
  windows.at(window).state = state;
  Message m{MessageKind::kSize};
  m.state = state;
  Send(window, m);
}

void SimWindowSystem::Hide(WindowHandle window) {
  Window& w = windows.at(window);
  w.visible = false;
  if (focus == window || TopLevelOf(focus) == window) focus = 0;
  Uncover(window);
  // Hiding the active window activates another: its owner when it can be,
  // else the next one below, as WINPOS_ActivateOtherWindow does.
  if (active == window) ActivateOtherWindow(window);
}

void SimWindowSystem::Minimize(WindowHandle window) {
  Window& w = windows.at(window);
  if (w.state == TWindowState::wsMinimized) return;
  w.restore_to_maximized = w.state == TWindowState::wsMaximized;
  Uncover(window);
  SetState(window, TWindowState::wsMinimized);
  // A minimised window goes to the bottom of its band, and the next
  // window is activated (SW_MINIMIZE).
  z_order.erase(std::find(z_order.begin(), z_order.end(), window));
  z_order.push_back(window);
  Restack();
  const bool was_active = active == window || (IsOurs(active) && windows.at(active).owner == window);
  if (was_active) ActivateOtherWindow(window);
}

void SimWindowSystem::Restore(WindowHandle window) {
  Window& w = windows.at(window);
  if (w.state != TWindowState::wsMinimized) return;
  SetState(window, w.restore_to_maximized ? TWindowState::wsMaximized : TWindowState::wsNormal);
  // A window that comes back is erased at once and painted later.
  EraseNow(window);
  w.needs_paint = true;
}

void SimWindowSystem::ShowWindow(WindowHandle window, int cmd) {
  Window& w = windows.at(window);
  log.push_back(std::string(w.kind == Kind::kInfoBox ? "ShowBox " : "ShowWindow ") +
                std::to_string(cmd));
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
    EraseNow(window);
    w.needs_paint = true;
  }
  Activate(window);
}

void SimWindowSystem::Restack() {
  // The top-most band above the rest, each keeping its order...
  std::stable_partition(z_order.begin(), z_order.end(),
                        [this](WindowHandle w) { return windows.at(w).topmost; });
  // ...and owned windows always above their owner.
  for (bool moved = true; moved;) {
    moved = false;
    for (std::size_t i = 0; i < z_order.size() && !moved; ++i) {
      const WindowHandle owner = windows.at(z_order[i]).owner;
      if (owner == 0) continue;
      auto o = std::find(z_order.begin(), z_order.end(), owner);
      if (o == z_order.end() || static_cast<std::size_t>(o - z_order.begin()) > i) continue;
      const WindowHandle owned = z_order[i];
      z_order.erase(z_order.begin() + static_cast<std::ptrdiff_t>(i));
      z_order.insert(std::find(z_order.begin(), z_order.end(), owner), owned);
      moved = true;
    }
  }
}

void SimWindowSystem::MoveToTopOfBand(WindowHandle window) {
  auto it = std::find(z_order.begin(), z_order.end(), window);
  if (it == z_order.end()) return;
  z_order.erase(it);
  z_order.insert(z_order.begin(), window);
  Restack();
}

void SimWindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  log.push_back(std::string("SetTopmost ") + (topmost ? "1" : "0"));
  // HWND_TOPMOST makes the window and its owned windows top-most;
  // HWND_NOTOPMOST makes it, its owners and its owned windows ordinary and
  // puts it above all ordinary windows (SetWindowPos).
  if (!topmost && !windows.at(window).topmost) return;
  std::vector<WindowHandle> affected = {window};
  for (std::size_t i = 0; i < affected.size(); ++i) {
    for (const auto& [h, w] : windows) {
      if (w.owner == affected[i] && w.kind != Kind::kButton) affected.push_back(h);
    }
  }
  if (!topmost) {
    for (WindowHandle o = windows.at(window).owner; o != 0; o = windows.at(o).owner) {
      affected.push_back(o);
    }
  }
  for (WindowHandle w : affected) windows.at(w).topmost = topmost;
  MoveToTopOfBand(window);
}

bool SimWindowSystem::IsWindowVisible(WindowHandle window) {
  auto it = windows.find(window);
  return it != windows.end() && it->second.visible;
}

bool SimWindowSystem::IsWindowEnabled(WindowHandle window) {
  auto it = windows.find(window);
  return it != windows.end() && it->second.enabled;
}

void SimWindowSystem::EnableWindow(WindowHandle window, bool enable) {
  log.push_back(std::string("EnableWindow ") + (enable ? "1" : "0"));
  SetEnabled(window, enable);
}

void SimWindowSystem::SetEnabled(WindowHandle window, bool enable) {
  Window& w = windows.at(window);
  w.enabled = enable;
  if (!enable) {
    // A window being disabled loses the capture and the focus.
    if (capture == window) capture = 0;
    if (focus == window) focus = 0;
  }
}

// ----- Activation and focus -----

bool SimWindowSystem::CanActivate(WindowHandle window) const {
  auto it = windows.find(window);
  if (it == windows.end()) return false;
  const Window& w = it->second;
  return !w.destroyed && w.visible && w.enabled && w.kind != Kind::kButton;
}

void SimWindowSystem::Activate(WindowHandle window) {
  if (window == active) return;
  const WindowHandle previous = active;
  active = window;
  activations.push_back(window);
  MoveToTopOfBand(window);
  if (IsOurs(previous)) {
    Message m{MessageKind::kActivate};
    m.flag = false;
    Send(previous, m);
  }
  if (!IsOurs(window)) {
    focus = window;
    return;
  }
  Message m{MessageKind::kActivate};
  m.flag = true;
  const MessageResult result = Send(window, m);
  // DefWindowProc puts the focus on the window it activates, unless it is
  // minimised.
  if (!result.handled && active == window) {
    if (windows.at(window).state == TWindowState::wsMinimized) {
      focus = 0;
    } else {
      SetFocus(window);
    }
  }
}

void SimWindowSystem::ActivateOtherWindow(WindowHandle leaving) {
  const WindowHandle owner = windows.at(leaving).owner;
  if (owner != 0 && CanActivate(owner)) {
    Activate(owner);
    return;
  }
  auto it = std::find(z_order.begin(), z_order.end(), leaving);
  if (it != z_order.end()) {
    for (auto below = std::next(it); below != z_order.end(); ++below) {
      if (CanActivate(*below)) {
        Activate(*below);
        return;
      }
    }
  }
  for (WindowHandle w : z_order) {
    if (w == leaving) break;
    if (CanActivate(w)) {
      Activate(w);
      return;
    }
  }
  active = 0;
  focus = 0;
}

void SimWindowSystem::SetFocus(WindowHandle window) {
  if (focus == window) return;
  // Focusing a window of an inactive top-level window activates that first.
  const WindowHandle top = TopLevelOf(window);
  if (top != active && CanActivate(top)) {
    Activate(top);
    if (focus == window) return;
  }
  focus = window;
  Send(window, Message{MessageKind::kSetFocus});
}

void SimWindowSystem::SetActiveWindow(WindowHandle window) {
  log.push_back("SetActiveWindow");
  if (CanActivate(window)) Activate(window);
}

void SimWindowSystem::SetForegroundWindow(WindowHandle window) {
  log.push_back("SetForegroundWindow");
  // The foreground lock: a thread that is in the foreground may hand it on.
  // The lock's other grants (the last input, a lapsed timeout) are not
  // imitated, so from the background the call changes nothing.
  if (IsOurs(active) && CanActivate(window)) Activate(window);
}

void SimWindowSystem::FocusButton(WindowHandle box, std::uint32_t id) {
  for (const auto& [h, w] : windows) {
    if (w.kind == Kind::kButton && w.owner == box && w.id == id && !w.destroyed) {
      SetFocus(h);
      return;
    }
  }
}

WindowHandle SimWindowSystem::LastActivePopup(WindowHandle window) const {
  for (auto it = activations.rbegin(); it != activations.rend(); ++it) {
    if (windows.at(*it).owner == window && CanActivate(*it)) return *it;
  }
  return window;
}

// ----- Geometry -----

Rect SimWindowSystem::WindowRect(WindowHandle window) const {
  const Window& w = windows.at(window);
  switch (w.kind) {
    case Kind::kInfoBox:
      return w.box.geometry.window;
    case Kind::kForm:
      return w.state == TWindowState::wsMaximized ? screen : w.normal_placement;
    case Kind::kMessageBox:
      return {screen.Width() / 2 - 150, screen.Height() / 2 - 60, screen.Width() / 2 + 150,
              screen.Height() / 2 + 60};
    case Kind::kOtherProgram:
    case Kind::kButton:
      break;
  }
  return screen;
}

WindowHandle SimWindowSystem::WindowAt(Point p) const {
  for (WindowHandle w : z_order) {
    const Window& win = windows.at(w);
    if (win.visible && win.state != TWindowState::wsMinimized && Contains(WindowRect(w), p)) {
      return w;
    }
  }
  return 0;
}

Point SimWindowSystem::ClientToScreen(WindowHandle window, Point point) {
  const Rect r = WindowRect(window);
  const FrameInsets frame = FrameOf(windows.at(window).look.frame);
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
  log.push_back("CancelMode");
  if (capture == window) capture = 0;
}

Size SimWindowSystem::MeasureText(const std::string& text, int max_width) {
  const int char_width = 6;
  const int line_height = 13;
  const int max_chars = std::max(1, max_width / char_width);
  int widest = 0;
  int lines = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find('\r', start), text.size());
    // Expand tabs, then wrap the paragraph at spaces.
    std::string para;
    for (std::size_t i = start; i < end; ++i) {
      if (text[i] == '\t') {
        do para += ' '; while (para.size() % 8 != 0);
      } else {
        para += text[i];
      }
    }
    std::size_t pos = 0;
    do {
      std::size_t take = para.size() - pos;
      if (static_cast<int>(take) > max_chars) {
        const std::size_t space = para.rfind(' ', pos + max_chars);
        if (space != std::string::npos && space > pos) {
          take = space - pos;
        } else {  // one word wider than the limit widens the text
          const std::size_t next = para.find(' ', pos);
          take = (next == std::string::npos ? para.size() : next) - pos;
        }
      }
      widest = std::max(widest, static_cast<int>(take) * char_width);
      ++lines;
      pos += take;
      while (pos < para.size() && para[pos] == ' ') ++pos;
    } while (pos < para.size());
    if (end >= text.size()) break;
    start = end + 1;
  }
  return {widest, lines * line_height};
}

// ----- Menus -----

MenuHandle SimWindowSystem::CreatePopupMenu(const std::vector<MenuEntry>& entries) {
  const MenuHandle h = next_handle_++;
  menu_entries_[h] = entries;
  return h;
}

void SimWindowSystem::DestroyMenu(MenuHandle menu) {
  menu_entries_.erase(menu);
  log.push_back("DestroyMenu");
}

void SimWindowSystem::TrackPopupMenu(MenuHandle menu, Point p, WindowHandle owner) {
  menus.push_back({p, owner, menu_entries_.at(menu)});
  log.push_back("MenuOpen");
  menu_open = true;
  menu_choice_.reset();
  // The menu's own loop: posted messages, ticks and paints go on.
  while (!menu_choice_ && !quit_posted_) {
    if (!DispatchOne(0)) Idle();
  }
  menu_open = false;
  log.push_back("MenuClosed");
  // The choice is posted: it comes after the menu has closed and after the
  // message that opened the menu has been handled.
  if (menu_choice_) {
    for (const MenuEntry& entry : menu_entries_.at(menu)) {
      if (!entry.separator && entry.caption == *menu_choice_) {
        Message m{MessageKind::kCommand};
        m.id = entry.command;
        Post(owner, m);
      }
    }
  }
  menu_choice_.reset();
}

// ----- Timers -----

bool SimWindowSystem::SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t interval) {
  log.push_back("SetTimer " + std::to_string(interval));
  if (refuse_timers) return false;
  timers_[{window, id}] = Timer{interval, now + interval};
  return true;
}

void SimWindowSystem::KillTimer(WindowHandle window, std::uint32_t id) {
  // A WM_TIMER already in the queue stays there (KillTimer's remarks).
  log.push_back("KillTimer");
  timers_.erase({window, id});
}

void SimWindowSystem::PostDueTicks() {
  for (auto& [key, timer] : timers_) {
    if (timer.due > now) continue;
    // Ticks that fall due while one waits in the queue merge into it.
    const bool queued = std::any_of(queue_.begin(), queue_.end(), [&](const Posted& p) {
      return p.window == key.first && p.message.kind == MessageKind::kTimer &&
             p.message.id == key.second;
    });
    if (!queued) {
      Message m{MessageKind::kTimer};
      m.id = key.second;
      Post(key.first, m);
    }
    while (timer.due <= now) timer.due += timer.interval;
  }
}

// ----- The message box -----

void SimWindowSystem::MessageBox(WindowHandle owner, const std::string& text,
                                 const std::string& caption, std::uint32_t flags) {
  log.push_back("MessageBox");
  // A modal dialog: it disables its owner while it runs and enables it
  // again before it is destroyed, so that the activation goes back to the
  // owner (DialogBox, EndDialog). An owner that was disabled already stays
  // so, and the activation then goes to the next window.
  const bool disables_owner = owner != 0 && IsWindowEnabled(owner);
  if (disables_owner) SetEnabled(owner, false);
  Window box;
  box.kind = Kind::kMessageBox;
  box.owner = owner;
  box.caption = caption;
  box.text = text;
  box.visible = true;
  box.topmost = owner != 0 && windows.at(owner).topmost;
  const WindowHandle h = NewWindow(box);
  message_boxes.push_back({owner, text, caption, flags, h});
  Activate(h);
  dismiss_message_box_ = false;
  while (!dismiss_message_box_ && !quit_posted_) {
    if (!DispatchOne(0)) Idle();
  }
  dismiss_message_box_ = false;
  if (disables_owner) SetEnabled(owner, true);
  // EndDialog hides the box without activating anything, then hands the
  // activation to the owner, shown or hidden, enabled or not; only an
  // ownerless box lets the system pick the next window (Wine's and
  // ReactOS's EndDialog).
  const bool was_active = active == h;
  Window& shown = windows.at(h);
  shown.visible = false;
  if (focus == h) focus = 0;
  Uncover(h);
  if (was_active) {
    if (owner != 0) {
      Activate(owner);
    } else {
      ActivateOtherWindow(h);
    }
  }
  windows.at(h).destroyed = true;
  z_order.erase(std::find(z_order.begin(), z_order.end(), h));
}

}  // namespace vcl
