// A simulated window system for host tests. It imitates Windows where the
// program depends on it: the window order with its top-most band and owned
// windows, activation and the keyboard focus, painting and erasing, posted
// timer messages, the dialog manager's keys, the pop-up menu's and the
// message box's modal loops and the shell's taskbar. It knows no window of the
// program's and decides nothing of the program's: each imitation follows the
// Windows behaviour named beside it.
//
// Time moves only when a test moves it. Whenever the program would wait for
// input, `on_idle` runs: that is where a test does what a person would do.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_faults.h"
#include "platform/window_system.h"

namespace vcl {

class SimWindowSystem : public WindowSystem {
 public:
  enum class Kind { kForm, kInfoBox, kButton, kMessageBox, kOtherProgram };
  struct Window {
    Kind kind = Kind::kForm;
    MessageTarget* target = nullptr;  // none for the system's own windows
    WindowHandle owner = 0;           // the owner, or a control's dialog
    bool visible = false;
    bool enabled = true;
    bool topmost = false;
    bool destroyed = false;
    TWindowState state = TWindowState::wsNormal;
    bool restore_to_maximized = false;
    bool needs_paint = false;
    bool needs_erase = false;
    std::string caption;
    std::string text;
    WindowLook look;
    Rect normal_placement;
    InfoBoxContents box;      // an information box's contents
    WindowHandle button = 0;  // an information box's button
    std::uint32_t id = 0;     // a control's id
    std::optional<TColor> shown_color;  // what the last fill painted
    std::optional<TColor> batched;      // a fill still in the thread's drawing batch
    std::optional<TColor> surface;      // what the compositor has; none before a paint
    bool cloaked = false;
    Rect maximized_rect;  // where the system put the window when it maximised it
  };
  // What the compositor put on the screen for a window of the program.
  struct Frame {
    std::uint32_t time;
    WindowHandle window;
    TColor color;
  };
  struct Fill {
    std::uint32_t time;
    WindowHandle window;
    TColor color;
    bool erase;      // filled while erasing the background
    bool by_system;  // the class brush, because the window left the erase alone
  };
  struct MessageBoxCall {
    WindowHandle owner;
    std::string text;
    std::string caption;
    std::uint32_t flags;
    WindowHandle window;  // the box's own window while it shows
  };
  struct MenuOpening {
    Point point;
    WindowHandle owner;
    std::vector<MenuEntry> entries;
    Rect placed;  // where the system shows it
  };

  explicit SimWindowSystem(const SimFaults& faults);
  ~SimWindowSystem() override = default;

  // ----- Set-up -----
  // The monitors as Windows lays them out: the first is the primary, with
  // its top-left corner at (0, 0); the others lie at any side of it, at
  // negative coordinates too.
  std::vector<Rect> monitors{{0, 0, 1024, 768}};

  // ----- What a person and the rest of the system do -----
  void PressKey(VirtualKey key, TShiftState shift = {});
  void ReleaseKey(VirtualKey key, TShiftState shift = {});
  void PressRightButton(Point screen_point);
  void ReleaseRightButton(Point screen_point);
  // A left click on a window: activates it, or the box that disables it.
  void ClickWindow(WindowHandle window);
  // A click on a dialog's button.
  void ClickButton(WindowHandle button);
  // The close button of a window's title bar.
  void ClickCloseButton(WindowHandle window);
  void ChooseMenuEntry(const std::string& caption);
  void CancelMenu();
  void DismissMessageBox();
  // The thread's quit request, from outside the program's windows.
  void RequestQuit();
  // Time passes with the program handling each due tick as it comes.
  void Advance(std::uint32_t ms);
  // Time passes while the thread is busy: nothing is handled meanwhile.
  void Busy(std::uint32_t ms);
  // Windows+Shift+Left or Right: the window moves to that monitor and keeps
  // its state, a maximised one covering the new monitor.
  void MoveToMonitor(WindowHandle window, std::size_t monitor);
  // Another program is activated, as by Alt+Tab or a click on it.
  void ActivateOtherProgram();
  // The shell's taskbar: a click on a window's button, and its close command.
  void ClickTaskbarButton(WindowHandle window);
  void CloseFromTaskbar(WindowHandle window);
  // Windows asks every top-level window whether it may end, then ends.
  void EndSession();
  void PostTo(WindowHandle window, const Message& message);
  // The system captures the mouse for a window, as its move loop or a drag
  // does while a button is held.
  void SystemCapturesMouse(WindowHandle window);
  // The system's screen saver or its monitor power-off, asked of the
  // foreground window first (WM_SYSCOMMAND), as Windows does, or of `to`:
  // whichever window gets it, its DefWindowProc carries it out.
  void SystemCommand(std::uint32_t command, WindowHandle to = 0);
  // A new display mode: the screen's new size, told to every top-level
  // window (WM_DISPLAYCHANGE).
  void ChangeDisplayMode(int width, int height);

  // ----- What happened: views -----
  const std::map<WindowHandle, Window>& windows() const { return windows_; }
  // Whether all windows agreed, each time the session ended.
  const std::vector<bool>& session_end_answers() const { return session_end_answers_; }
  const std::vector<MessageBoxCall>& message_boxes() const { return message_boxes_; }
  const std::vector<MenuOpening>& menus() const { return menus_; }
  // The width each text was measured for, in order.
  const std::vector<int>& text_widths() const { return text_widths_; }
  Rect WindowRect(WindowHandle window) const;
  const std::vector<Fill>& fills() const { return fills_; }  // every fill, in order
  // Every window activated, in order.
  const std::vector<WindowHandle>& activations() const { return activations_; }
  // Top-level windows, top first.
  const std::vector<WindowHandle>& z_order() const { return z_order_; }
  const std::optional<FormClassLook>& form_class() const { return form_class_; }
  std::uint32_t now() const { return now_; }
  bool menu_open() const { return menu_open_; }
  WindowHandle active() const { return active_; }  // the other program's too
  WindowHandle focus() const { return focus_; }
  WindowHandle capture() const { return capture_; }
  int fills_outside_paint() const { return fills_outside_paint_; }
  // Every change the compositor showed, in order.
  const std::vector<Frame>& frames() const { return frames_; }
  bool screen_saver_started() const { return screen_saver_started_; }
  bool monitor_off() const { return monitor_off_; }
  // Messages dispatched and not yet returned from, innermost last.
  const std::vector<MessageKind>& dispatching() const { return dispatching_; }
  const WindowHandle other_program;
  // Timers that run now, with their intervals.
  std::map<std::uint32_t, std::uint32_t> RunningTimers() const;
  // Windows that have a button on the taskbar.
  std::vector<WindowHandle> TaskbarButtons() const;
  WindowHandle TopLevelOf(WindowHandle window) const;
  bool IsOurs(WindowHandle window) const;

  // ----- WindowSystem -----
  void RegisterFormClass(const FormClassLook& look) override;
  WindowHandle CreateFormWindow(const FormWindowParams& params, MessageTarget* target) override;
  WindowHandle CreateInfoBoxWindow(const InfoBoxContents& contents, MessageTarget* target) override;
  void DestroyWindow(WindowHandle window) override;
  std::vector<WindowHandle> ThreadWindows() override;
  void ShowWindow(WindowHandle window, int show_command) override;
  void SetTopmost(WindowHandle window, bool topmost) override;
  bool IsWindowVisible(WindowHandle window) override;
  bool IsWindowEnabled(WindowHandle window) override;
  void EnableWindow(WindowHandle window, bool enable) override;
  WindowHandle GetActiveWindow() override { return IsOurs(active_) ? active_ : 0; }
  void SetActiveWindow(WindowHandle window) override;
  void SetForegroundWindow(WindowHandle window) override;
  WindowHandle GetFocus() override { return IsOurs(focus_) ? focus_ : 0; }
  void FocusButton(WindowHandle box, std::uint32_t id) override;
  void Invalidate(WindowHandle window, bool erase) override;
  void FillClient(WindowHandle window, TColor color) override;
  Point ClientToScreen(WindowHandle window, Point point) override;
  // MonitorFromWindow with MONITOR_DEFAULTTOPRIMARY; for no window, the primary.
  Rect MonitorRect(WindowHandle window) override;
  WindowHandle GetCapture() override { return capture_; }
  void SendCancelMode(WindowHandle window) override;
  void MoveWindow(WindowHandle window, const Rect& rect) override;
  Rect MonitorRectOf(const Rect& rect) override;
  bool SetCloaked(WindowHandle window, bool cloaked) override;
  void FlushDrawing() override;
  FontExtent MessageFontExtent() override { return {6 * 52, 13}; }
  // Text in a fixed-width model: 6 pixels a character, 13 a line, tabs to
  // every 8th column, lines broken at CR and wrapped at spaces.
  Size MeasureText(const std::string& text, int max_width) override;
  int IconSize(SystemIcon) override { return 32; }
  FrameInsets FrameOf(FrameKind frame) override;
  MenuHandle CreatePopupMenu(const std::vector<MenuEntry>& entries) override;
  void DestroyMenu(MenuHandle menu) override;
  void TrackPopupMenu(MenuHandle menu, Point screen_point, WindowHandle owner) override;
  bool SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t interval_ms) override;
  void KillTimer(WindowHandle window, std::uint32_t id) override;
  PeekResult PeekMessage(PeekedMessage* message) override;
  bool IsDialogMessage(WindowHandle dialog) override;
  void DispatchMessage() override;
  void WaitMessage() override { Idle(); }
  void PostQuitMessage(int code) override;
  void MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;

 protected:
  std::function<void()> on_idle;  // runs whenever the program would wait

 private:
  struct Timer {
    std::uint32_t interval;
    std::uint32_t due;
  };
  // Keyboard input is not a message of the core's until the back end or
  // the dialog manager makes it one.
  enum class Input { kNone, kKeyDown, kKeyUp };
  struct Posted {
    WindowHandle window;
    Message message;
    Input input;
    bool paint = false;  // WM_PAINT, made when the queue is empty
  };
  WindowHandle NewWindow(Window window);
  MessageResult Send(WindowHandle window, const Message& message);
  void Post(WindowHandle window, const Message& message);
  std::optional<Posted> TakeMessage();
  void Handle(WindowHandle dialog, const Posted& posted);
  bool DispatchOne(WindowHandle dialog);
  void Deliver(WindowHandle dialog, const Posted& posted);
  void DialogManager(WindowHandle dialog, const Posted& posted);
  void PaintNow(WindowHandle window);
  // The first erase of a window the compositor has no surface of waits for
  // its paint; any other happens at once.
  void EraseOnShow(WindowHandle window);
  // The compositor takes up what each window shows now.
  void Compose();
  void EraseNow(WindowHandle window);
  void Idle();
  void PostDueTicks();
  void Activate(WindowHandle window);
  void ActivateOtherWindow(WindowHandle leaving);
  bool CanActivate(WindowHandle window) const;
  void SetFocus(WindowHandle window);
  void SetEnabled(WindowHandle window, bool enable);
  void SetState(WindowHandle window, TWindowState state);
  void Hide(WindowHandle window);
  void Minimize(WindowHandle window);
  void Restore(WindowHandle window);
  void Uncover(WindowHandle window);
  void Restack();
  void MoveToTopOfBand(WindowHandle window);
  WindowHandle WindowAt(Point screen_point) const;
  WindowHandle LastActivePopup(WindowHandle window) const;

  // The imitation's state.
  std::map<WindowHandle, Window> windows_;
  std::vector<bool> session_end_answers_;
  std::vector<MessageBoxCall> message_boxes_;
  std::vector<MenuOpening> menus_;
  std::vector<int> text_widths_;
  std::vector<Fill> fills_;
  std::vector<WindowHandle> activations_;
  std::vector<WindowHandle> z_order_;
  std::optional<FormClassLook> form_class_;
  std::uint32_t now_ = 0;
  bool menu_open_ = false;
  WindowHandle active_ = 0;
  WindowHandle focus_ = 0;
  WindowHandle capture_ = 0;
  int fills_outside_paint_ = 0;
  std::vector<Frame> frames_;
  std::map<WindowHandle, TColor> composed_;  // what each composed window shows
  bool screen_saver_started_ = false;
  bool monitor_off_ = false;
  std::vector<MessageKind> dispatching_;
  const SimFaults* faults_;
  WindowHandle next_handle_ = 0x100;
  std::deque<Posted> queue_;
  std::optional<Posted> held_;  // the message PeekMessage took
  bool quit_posted_ = false;
  bool painting_ = false;
  bool erasing_ = false;  // a fill now is the background's erase
  std::uint32_t advance_to_ = 0;
  std::map<std::pair<WindowHandle, std::uint32_t>, Timer> timers_;
  std::map<MenuHandle, std::vector<MenuEntry>> menu_entries_;
  std::optional<std::string> menu_choice_;  // set while a menu is open
  bool dismiss_message_box_ = false;
  WindowHandle pressed_button_ = 0;  // a button held down by Space
};

}  // namespace vcl
