#include "platform/sim/sim_window_system.h"

#include <algorithm>

#include "app/vexo.h"

namespace vcl {

SimWindowSystem::SimWindowSystem() { registry["HKCU"]; }

// ----- The script -----

void SimWindowSystem::Then(Action action) { script_.push_back(std::move(action)); }

void SimWindowSystem::ThenRightClick(Point p) {
  Then([p](SimWindowSystem& s) {
    const WindowHandle w = s.FormWindow();
    const Window& win = s.windows.at(w);
    if (!win.visible || !win.enabled || win.state == TWindowState::wsMinimized) return;
    const Point origin = s.ClientToScreen(w, {0, 0});
    Message m{MessageKind::kRightButtonUp};
    m.point = {p.x - origin.x, p.y - origin.y};
    s.Post(w, m);
  });
}

void SimWindowSystem::ThenRightButtonPressOnly(Point) {
  // A press alone sends the window a message the program does not handle.
  Then([](SimWindowSystem&) {});
}

void SimWindowSystem::ThenKeyRelease(VirtualKey key, TShiftState shift) {
  Then([key, shift](SimWindowSystem& s) {
    if (s.focus == 0 || !s.windows.at(s.focus).enabled) return;
    if (s.windows.at(s.focus).is_box) return;  // the OK button ignores releases
    Message m{MessageKind::kKeyUp};
    m.key = key;
    m.shift = shift;
    s.Post(s.focus, m);
  });
}

void SimWindowSystem::ThenKeyPress(VirtualKey key, TShiftState shift) {
  Then([key, shift](SimWindowSystem& s) {
    // The system's dialog keys: Enter and Esc press the box's buttons.
    const WindowHandle box = s.OpenBox();
    if (box == 0 || s.focus != box || shift.Any()) return;
    Message m{MessageKind::kCommand};
    if (key == kVkReturn) {
      m.id = kIdOk;
    } else if (key == kVkEscape) {
      m.id = kIdCancel;
    } else {
      return;
    }
    s.Post(box, m);
  });
}

void SimWindowSystem::ThenChoose(const std::string& caption) {
  Then([caption](SimWindowSystem& s) { s.menu_choice_ = caption; });
}

void SimWindowSystem::ThenCancelMenu() {
  Then([](SimWindowSystem& s) { s.menu_choice_ = std::string(); });
}

void SimWindowSystem::ThenDismissMessageBox() {
  Then([](SimWindowSystem& s) { s.dismiss_box_ = true; });
}

void SimWindowSystem::ThenClickBoxButton() {
  Then([](SimWindowSystem& s) {
    if (WindowHandle box = s.OpenBox()) {
      Message m{MessageKind::kCommand};
      m.id = kIdOk;
      s.Post(box, m);
    }
  });
}

void SimWindowSystem::ThenCloseBox() {
  Then([](SimWindowSystem& s) {
    if (WindowHandle box = s.OpenBox()) s.Post(box, Message{MessageKind::kClose});
  });
}

void SimWindowSystem::ThenAdvance(std::uint32_t ms) {
  Then([ms](SimWindowSystem& s) { s.AdvanceTo(s.now + ms); });
}

void SimWindowSystem::ThenBusy(std::uint32_t ms) {
  Then([ms](SimWindowSystem& s) {
    s.now += ms;
    for (auto& [key, timer] : s.timers_) {
      while (timer.due <= s.now) {
        timer.pending = true;  // ticks that fall due meanwhile merge into one
        timer.due += timer.interval;
      }
    }
  });
}

void SimWindowSystem::ThenSwitchAway() {
  Then([](SimWindowSystem& s) { s.Deactivate(); });
}

void SimWindowSystem::ThenSwitchBack() {
  Then([](SimWindowSystem& s) { s.Activate(s.FormWindow()); });
}

void SimWindowSystem::ThenMinimizeFromTaskbar() {
  Then([](SimWindowSystem& s) {
    const WindowHandle w = s.FormWindow();
    s.windows.at(w).restore_to_maximized =
        s.windows.at(w).state == TWindowState::wsMaximized;
    s.SetState(w, TWindowState::wsMinimized);
    s.Deactivate();
  });
}

void SimWindowSystem::ThenRestoreFromTaskbar() {
  Then([](SimWindowSystem& s) {
    const WindowHandle w = s.FormWindow();
    Window& win = s.windows.at(w);
    if (win.state != TWindowState::wsMinimized) return;
    s.SetState(w, win.restore_to_maximized ? TWindowState::wsMaximized
                                           : TWindowState::wsNormal);
    s.Activate(w);
  });
}

void SimWindowSystem::ThenPost(MessageKind kind, bool flag) {
  Then([kind, flag](SimWindowSystem& s) {
    Message m{kind};
    m.flag = flag;
    s.Post(s.FormWindow(), m);
  });
}

void SimWindowSystem::ThenEndSession() {
  Then([](SimWindowSystem& s) {
    const MessageResult agreed = s.Send(s.FormWindow(), Message{MessageKind::kQueryEndSession});
    s.log.push_back("QueryEndSession " + std::to_string(agreed.value));
    if (agreed.handled && agreed.value != 0) {
      Message m{MessageKind::kEndSession};
      m.flag = true;
      s.Send(s.FormWindow(), m);
    }
  });
}

void SimWindowSystem::ThenPostQuit() {
  Then([](SimWindowSystem& s) { s.quit_posted_ = true; });
}

void SimWindowSystem::RunNextAction() {
  if (script_.empty()) {
    // Nothing more will happen: end the run rather than wait for ever.
    script_ran_out = true;
    quit_posted_ = true;
    menu_choice_ = std::string();
    dismiss_box_ = true;
    return;
  }
  Action action = std::move(script_.front());
  script_.pop_front();
  action(*this);
}

void SimWindowSystem::AdvanceTo(std::uint32_t target) {
  std::uint32_t next = target;
  for (const auto& [key, timer] : timers_) next = std::min(next, timer.due);
  now = next;
  bool fired = false;
  for (auto& [key, timer] : timers_) {
    if (timer.due <= now) {
      timer.pending = true;
      timer.due += timer.interval;
      fired = true;
    }
  }
  // Let the program handle this tick before the clock goes on.
  if (fired && now < target) {
    script_.push_front([target](SimWindowSystem& s) { s.AdvanceTo(target); });
  }
}

// ----- Observation -----

WindowHandle SimWindowSystem::FormWindow() const {
  for (WindowHandle w : creation_order_) {
    auto it = windows.find(w);
    if (it != windows.end() && !it->second.is_box) return w;
  }
  return 0;
}

WindowHandle SimWindowSystem::OpenBox() const {
  for (const auto& [handle, w] : windows) {
    if (w.is_box && w.visible) return handle;
  }
  return 0;
}

std::map<std::uint32_t, std::uint32_t> SimWindowSystem::RunningTimers() const {
  std::map<std::uint32_t, std::uint32_t> running;
  for (const auto& [key, timer] : timers_) running[key.second] = timer.interval;
  return running;
}

// ----- Messages, windows and focus -----

MessageResult SimWindowSystem::Send(WindowHandle window, const Message& message) {
  auto it = windows.find(window);
  if (it == windows.end() || it->second.target == nullptr) return {};
  return it->second.target->HandleMessage(message);
}

void SimWindowSystem::Post(WindowHandle window, const Message& message) {
  queue_.emplace_back(window, message);
}

void SimWindowSystem::Activate(WindowHandle window) {
  Window& w = windows.at(window);
  if (!w.visible || !w.enabled) return;
  active = window;
  focus = window;
  Send(window, Message{MessageKind::kSetFocus});
}

void SimWindowSystem::Deactivate() {
  active = 0;
  focus = 0;
}

void SimWindowSystem::SetState(WindowHandle window, TWindowState state) {
  windows.at(window).state = state;
  Message m{MessageKind::kSize};
  m.state = state;
  Send(window, m);
}

void SimWindowSystem::ExitProcess(int code) {
  log.push_back("ExitProcess " + std::to_string(code));
  throw SimExit{code};
}

WindowHandle SimWindowSystem::CreateFormWindow(const FormWindowParams& params,
                                               MessageTarget* target) {
  const WindowHandle h = next_handle_++;
  Window w;
  w.target = target;
  w.caption = params.caption;
  w.normal_placement = params.normal_placement;
  windows[h] = w;
  creation_order_.push_back(h);
  log.push_back("CreateFormWindow " + std::to_string(h));
  return h;
}

WindowHandle SimWindowSystem::CreateInfoBoxWindow(WindowHandle owner, const std::string& title,
                                                  const std::string& text,
                                                  const InfoBoxGeometry& geometry,
                                                  MessageTarget* target) {
  const WindowHandle h = next_handle_++;
  Window w;
  w.target = target;
  w.is_box = true;
  w.caption = title;
  w.text = text;
  w.geometry = geometry;
  w.owner = owner;
  windows[h] = w;
  creation_order_.push_back(h);
  log.push_back("CreateInfoBoxWindow");
  return h;
}

void SimWindowSystem::DestroyWindow(WindowHandle window) {
  log.push_back(windows.at(window).is_box ? "DestroyInfoBox" : "DestroyFormWindow");
  for (auto it = timers_.begin(); it != timers_.end();) {
    it = it->first.first == window ? timers_.erase(it) : std::next(it);
  }
  // The record stays, so that tests can read what the window showed last.
  Window& w = windows.at(window);
  w.destroyed = true;
  w.target = nullptr;
  w.visible = false;
  if (active == window) active = 0;
  if (focus == window) focus = 0;
}

void SimWindowSystem::ShowWindow(WindowHandle window, int cmd) {
  Window& w = windows.at(window);
  log.push_back(std::string(w.is_box ? "ShowBox " : "ShowWindow ") + std::to_string(cmd));
  if (cmd == kSwHide) {
    w.visible = false;
    if (active == window) Deactivate();
    return;
  }
  const bool was_visible = w.visible;
  w.visible = true;
  if (!was_visible) w.invalid = true;
  switch (cmd) {
    case kSwShowMaximized:
      SetState(window, TWindowState::wsMaximized);
      Activate(window);
      break;
    case kSwShowNormal:
      SetState(window, TWindowState::wsNormal);
      Activate(window);
      break;
    case kSwShowMinNoActive:
      SetState(window, TWindowState::wsMinimized);
      break;
    case kSwMinimize:
      w.restore_to_maximized = w.state == TWindowState::wsMaximized;
      SetState(window, TWindowState::wsMinimized);
      if (active == window) Deactivate();
      break;
    default:
      break;
  }
}

void SimWindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  windows.at(window).topmost = topmost;
  log.push_back(std::string("SetTopmost ") + (topmost ? "1" : "0"));
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
  windows.at(window).enabled = enable;
  log.push_back(std::string("EnableWindow ") + (enable ? "1" : "0"));
}

void SimWindowSystem::SetActiveWindow(WindowHandle window) {
  log.push_back("SetActiveWindow");
  Activate(window);
}

void SimWindowSystem::FocusDefaultButton(WindowHandle box) {
  windows.at(box).button_focused = true;
  focus = box;
  active = box;
}

void SimWindowSystem::Invalidate(WindowHandle window) { windows.at(window).invalid = true; }

void SimWindowSystem::FillClient(WindowHandle window, TColor color) {
  if (!painting_) {
    ++fills_outside_paint;
    return;
  }
  windows.at(window).shown_color = color;
}

Point SimWindowSystem::ClientToScreen(WindowHandle window, Point point) {
  const Window& w = windows.at(window);
  if (w.state == TWindowState::wsMaximized) return {screen.left + point.x, screen.top + point.y};
  return {w.normal_placement.left + point.x, w.normal_placement.top + point.y};
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
  // The menu's own loop: ticks and paints go on until the script answers.
  while (!menu_choice_) {
    if (!DispatchOne(0)) RunNextAction();
  }
  menu_open = false;
  log.push_back("MenuClosed");
  for (const MenuEntry& entry : menu_entries_.at(menu)) {
    if (!entry.separator && entry.caption == *menu_choice_) {
      Message m{MessageKind::kCommand};
      m.id = entry.command;
      Post(owner, m);
    }
  }
  menu_choice_.reset();
}

// ----- Timers and the queue -----

bool SimWindowSystem::SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t interval) {
  log.push_back("SetTimer " + std::to_string(interval));
  if (refuse_timers) return false;
  timers_[{window, id}] = Timer{interval, now + interval};
  return true;
}

void SimWindowSystem::KillTimer(WindowHandle window, std::uint32_t id) {
  log.push_back("KillTimer");
  timers_.erase({window, id});
}

bool SimWindowSystem::DispatchOne(WindowHandle dialog) {
  (void)dialog;  // dialog keys are turned into commands by ThenKeyPress
  if (!queue_.empty()) {
    auto [window, message] = queue_.front();
    queue_.pop_front();
    Send(window, message);
    return true;
  }
  for (auto& [handle, w] : windows) {
    if (w.invalid && w.visible && w.state != TWindowState::wsMinimized) {
      w.invalid = false;
      painting_ = true;
      const WindowHandle h = handle;
      Send(h, Message{MessageKind::kEraseBackground});
      Send(h, Message{MessageKind::kPaint});
      painting_ = false;
      const auto& painted = windows.at(h);
      if (h == FormWindow() && painted.shown_color) fills.emplace_back(now, *painted.shown_color);
      return true;
    }
  }
  for (auto& [key, timer] : timers_) {
    if (timer.pending) {
      timer.pending = false;
      Message m{MessageKind::kTimer};
      m.id = key.second;
      Send(key.first, m);
      return true;
    }
  }
  return false;
}

PumpResult SimWindowSystem::PumpMessage(WindowHandle dialog) {
  if (!queue_.empty()) return DispatchOne(dialog) ? PumpResult::kDispatched : PumpResult::kEmpty;
  if (quit_posted_) {
    quit_posted_ = false;
    return PumpResult::kQuit;
  }
  return DispatchOne(dialog) ? PumpResult::kDispatched : PumpResult::kEmpty;
}

void SimWindowSystem::WaitMessage() { RunNextAction(); }

void SimWindowSystem::PostQuitMessage(int code) {
  log.push_back("PostQuitMessage " + std::to_string(code));
  quit_posted_ = true;
}

void SimWindowSystem::MessageBox(WindowHandle owner, const std::string& text,
                                 const std::string& caption, std::uint32_t flags) {
  const WindowHandle screen_window = FormWindow();
  message_boxes.push_back({owner, text, caption, flags,
                           screen_window != 0 && windows.at(screen_window).topmost,
                           screen_window != 0 && windows.at(screen_window).enabled});
  log.push_back("MessageBox");
  message_box_open = true;
  dismiss_box_ = false;
  while (!dismiss_box_) {
    if (!DispatchOne(0)) RunNextAction();
  }
  dismiss_box_ = false;
  message_box_open = false;
}

void SimWindowSystem::ShellExecute(WindowHandle owner, const char* operation, const char* file,
                                   const char* parameters, const char* directory,
                                   int show_command) {
  auto text = [](const char* s) { return s ? std::optional<std::string>(s) : std::nullopt; };
  shell_calls.push_back({owner, text(operation), text(file), text(parameters), text(directory),
                         show_command});
  log.push_back(shell_fails ? "ShellExecute failed" : "ShellExecute");
}

// ----- Registry -----

namespace {
SimWindowSystem::RegCall Call(const char* function, RegKey key, const std::string& name) {
  SimWindowSystem::RegCall call;
  call.function = function;
  call.key = key;
  call.name = name;
  return call;
}
}  // namespace

std::string SimWindowSystem::KeyPath(RegKey key) const {
  if (key == kHKeyCurrentUser) return "HKCU";
  auto it = reg_handles_.find(key);
  return it == reg_handles_.end() ? std::string() : it->second;
}

bool SimWindowSystem::NextRegCallFails() {
  return ++reg_call_count_ == fail_registry_call;
}

RegResult SimWindowSystem::RecordReg(RegCall call) {
  reg_calls.push_back(std::move(call));
  return reg_calls.back().status;
}

RegResult SimWindowSystem::RegCreateKeyEx(RegKey key, const std::string& sub_key,
                                          std::uint32_t options, std::uint32_t access,
                                          RegKey* result) {
  RegCall call = Call("RegCreateKeyExA", key, sub_key);
  call.options = options;
  call.access = access;
  const std::string parent = KeyPath(key);
  if (NextRegCallFails() || parent.empty()) {
    call.status = 5;  // access denied
    return RecordReg(call);
  }
  std::string path = parent;
  std::size_t start = 0;
  while (start < sub_key.size()) {
    const std::size_t end = std::min(sub_key.find('\\', start), sub_key.size());
    path += "\\" + sub_key.substr(start, end - start);
    registry[path];
    start = end + 1;
  }
  const RegKey h = next_reg_++;
  reg_handles_[h] = path;
  *result = h;
  call.result = h;
  return RecordReg(call);
}

RegResult SimWindowSystem::RegOpenKeyEx(RegKey key, const std::string& sub_key,
                                        std::uint32_t options, std::uint32_t access,
                                        RegKey* result) {
  RegCall call = Call("RegOpenKeyExA", key, sub_key);
  call.options = options;
  call.access = access;
  std::string path = KeyPath(key);
  if (!sub_key.empty()) path += "\\" + sub_key;
  if (NextRegCallFails() || KeyPath(key).empty() || registry.count(path) == 0) {
    call.status = 2;  // not found
    return RecordReg(call);
  }
  const RegKey h = next_reg_++;
  reg_handles_[h] = path;
  *result = h;
  call.result = h;
  return RecordReg(call);
}

RegResult SimWindowSystem::RegSetValueEx(RegKey key, const std::string& value_name,
                                         std::uint32_t type,
                                         const std::vector<std::uint8_t>& data) {
  RegCall call = Call("RegSetValueExA", key, value_name);
  call.type = type;
  call.data = data;
  const std::string path = KeyPath(key);
  if (NextRegCallFails() || path.empty()) {
    call.status = 5;
    return RecordReg(call);
  }
  registry[path][value_name] = RegValue{type, data};
  return RecordReg(call);
}

RegResult SimWindowSystem::RegCloseKey(RegKey key) {
  RegCall call = Call("RegCloseKey", key, "");
  const bool known = reg_handles_.erase(key) != 0;
  if (NextRegCallFails() || !known) call.status = 6;  // invalid handle
  return RecordReg(call);
}

int RunVexo(SimWindowSystem& ws) {
  try {
    Vexo(ws);
  } catch (const SimExit& exit) {
    return exit.code;
  }
}

}  // namespace vcl
