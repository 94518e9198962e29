// The message queue: posted messages, the dialog manager, WM_PAINT when the
// queue is empty, WM_QUIT, timers and their ticks, and the clock.
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

}  // namespace

// ----- Messages -----

MessageResult SimWindowSystem::Send(WindowHandle window, const Message& message) {
  auto it = windows_.find(window);
  if (it == windows_.end() || it->second.destroyed || it->second.target == nullptr) return {};
  Dispatching entry(dispatching_, message.kind);
  return it->second.target->HandleMessage(message);
}

void SimWindowSystem::Post(WindowHandle window, const Message& message) {
  queue_.push_back({window, message, Input::kNone});
}

void SimWindowSystem::Deliver(WindowHandle dialog, const Posted& posted) {
  if (!IsOurs(posted.window)) return;
  const Window& w = windows_.at(posted.window);
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
      if (windows_.at(focus_).kind == Kind::kButton) pressed_button_ = focus_;
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
  for (WindowHandle w : z_order_) {
    const Window& win = windows_.at(w);
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
    if (IsOurs(posted.window) && windows_.at(posted.window).needs_paint) PaintNow(posted.window);
    Compose();
    return;
  }
  Deliver(dialog, posted);
  Compose();
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
  Compose();
  if (now_ < advance_to_) {
    // Up to the next tick, so that each is handled at its own time.
    std::uint32_t next = advance_to_;
    for (const auto& [key, timer] : timers_) next = std::min(next, timer.due);
    now_ = next;
    PostDueTicks();
    return;
  }
  if (!on_idle) throw std::logic_error("the program waits and nothing drives the system");
  on_idle();
}

void SimWindowSystem::PostQuitMessage(int /*code*/) {
  quit_posted_ = true;
}

// ----- Timers -----

bool SimWindowSystem::SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t interval) {
  if (faults_->refuse_timers) return false;
  timers_[{window, id}] = Timer{interval, now_ + interval};
  return true;
}

void SimWindowSystem::KillTimer(WindowHandle window, std::uint32_t id) {
  // A WM_TIMER already in the queue stays there (KillTimer's remarks).
  timers_.erase({window, id});
}

void SimWindowSystem::PostDueTicks() {
  for (auto& [key, timer] : timers_) {
    if (timer.due > now_) continue;
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
    while (timer.due <= now_) timer.due += timer.interval;
  }
}

}  // namespace vcl
