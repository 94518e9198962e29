// A simulated window system for host tests: windows, focus, a message queue,
// a clock that moves only when the script moves it, menus and boxes that a
// script answers, and an in-memory registry that records every call and can
// be made to fail. It imitates the system; it decides nothing of the
// program's.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace vcl {

struct SimExit {
  int code;
};

class SimWindowSystem final : public WindowSystem {
 public:
  struct Window {
    MessageTarget* target = nullptr;
    bool is_box = false;
    bool visible = false;
    bool enabled = true;
    bool topmost = false;
    TWindowState state = TWindowState::wsNormal;
    bool restore_to_maximized = false;
    bool invalid = false;
    bool shown_once = false;
    std::optional<TColor> shown_color;  // what the last fill painted
    std::string caption;
    std::string text;
    Rect normal_placement;
    InfoBoxGeometry geometry;
    WindowHandle owner = 0;
    bool button_focused = false;
    bool destroyed = false;
  };
  struct RegCall {
    std::string function;
    RegKey key = 0;
    std::string name;  // the sub-key or the value name
    std::uint32_t options = 0;
    std::uint32_t access = 0;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    RegKey result = 0;
    RegResult status = kErrorSuccess;
  };
  struct RegValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  struct MessageBoxCall {
    WindowHandle owner;
    std::string text;
    std::string caption;
    std::uint32_t flags;
    bool screen_topmost;  // was the test screen top-most while it showed
    bool screen_enabled;
  };
  struct ShellCall {
    WindowHandle owner;
    std::optional<std::string> operation, file, parameters, directory;
    int show_command;
  };
  struct MenuOpening {
    Point point;
    WindowHandle owner;
    std::vector<MenuEntry> entries;
  };
  using Action = std::function<void(SimWindowSystem&)>;

  SimWindowSystem();

  // ----- Set-up -----
  std::string command_line = "Vexo.exe";
  std::optional<int> startup_show;
  Rect screen{0, 0, 1024, 768};
  bool refuse_timers = false;
  bool shell_fails = false;  // the shell finds no program; nothing is told
  // The registry call (1-based, counted over the run) that fails.
  int fail_registry_call = 0;
  std::map<std::string, std::map<std::string, RegValue>> registry;  // path -> values

  // ----- The script: run one step each time the program would wait -----
  void Then(Action action);
  void ThenRightClick(Point screen_point);
  void ThenRightButtonPressOnly(Point screen_point);
  void ThenKeyRelease(VirtualKey key, TShiftState shift = {});
  void ThenKeyPress(VirtualKey key, TShiftState shift = {});
  void ThenChoose(const std::string& caption);
  void ThenCancelMenu();
  void ThenDismissMessageBox();
  void ThenClickBoxButton();
  void ThenCloseBox();
  void ThenAdvance(std::uint32_t ms);
  void ThenBusy(std::uint32_t ms);  // the thread is busy: time passes, nothing runs
  void ThenSwitchAway();
  void ThenSwitchBack();
  void ThenMinimizeFromTaskbar();
  void ThenRestoreFromTaskbar();
  void ThenPost(MessageKind kind, bool flag = false);
  void ThenEndSession();
  void ThenPostQuit();

  // ----- What happened -----
  std::map<WindowHandle, Window> windows;
  std::vector<std::string> log;  // window calls, in order
  std::vector<RegCall> reg_calls;
  std::vector<MessageBoxCall> message_boxes;
  std::vector<ShellCall> shell_calls;
  std::vector<MenuOpening> menus;
  std::vector<std::pair<std::uint32_t, TColor>> fills;  // (time, colour) of each repaint of the test screen
  std::uint32_t now = 0;
  bool script_ran_out = false;
  bool menu_open = false;
  bool message_box_open = false;
  int open_reg_handles() const { return static_cast<int>(reg_handles_.size()); }
  WindowHandle active = 0;
  WindowHandle focus = 0;
  WindowHandle capture = 0;
  int fills_outside_paint = 0;

  WindowHandle FormWindow() const;  // the first form window made
  WindowHandle OpenBox() const;     // the visible information box, if any
  const Window& Screen() const { return windows.at(FormWindow()); }
  // Timers that run now, with their intervals.
  std::map<std::uint32_t, std::uint32_t> RunningTimers() const;

  // ----- WindowSystem -----
  std::string CommandLine() override { return command_line; }
  std::optional<int> StartupShowCommand() override { return startup_show; }
  [[noreturn]] void ExitProcess(int code) override;
  WindowHandle CreateFormWindow(const FormWindowParams& params, MessageTarget* target) override;
  WindowHandle CreateInfoBoxWindow(WindowHandle owner, const std::string& title,
                                   const std::string& text, const InfoBoxGeometry& geometry,
                                   MessageTarget* target) override;
  void DestroyWindow(WindowHandle window) override;
  void ShowWindow(WindowHandle window, int show_command) override;
  void SetTopmost(WindowHandle window, bool topmost) override;
  bool IsWindowVisible(WindowHandle window) override;
  bool IsWindowEnabled(WindowHandle window) override;
  void EnableWindow(WindowHandle window, bool enable) override;
  WindowHandle GetActiveWindow() override { return active; }
  void SetActiveWindow(WindowHandle window) override;
  void FocusDefaultButton(WindowHandle box) override;
  void Invalidate(WindowHandle window) override;
  void FillClient(WindowHandle window, TColor color) override;
  Point ClientToScreen(WindowHandle window, Point point) override;
  Rect MonitorRect(WindowHandle) override { return screen; }
  WindowHandle GetCapture() override { return capture; }
  void SendCancelMode(WindowHandle window) override;
  FontMetrics MessageFontMetrics() override { return {6, 13}; }
  // Text in a fixed-width model: 6 pixels a character, 13 a line, tabs to
  // every 8th column, lines broken at CR and wrapped at spaces.
  Size MeasureText(const std::string& text, int max_width) override;
  int InfoIconSize() override { return 32; }
  FrameInsets InfoBoxFrame() override { return {3, 22, 3, 3}; }
  MenuHandle CreatePopupMenu(const std::vector<MenuEntry>& entries) override;
  void DestroyMenu(MenuHandle menu) override;
  void TrackPopupMenu(MenuHandle menu, Point screen_point, WindowHandle owner) override;
  bool SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t interval_ms) override;
  void KillTimer(WindowHandle window, std::uint32_t id) override;
  PumpResult PumpMessage(WindowHandle dialog) override;
  void WaitMessage() override;
  void PostQuitMessage(int code) override;
  void MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;
  void ShellExecute(WindowHandle owner, const char* operation, const char* file,
                    const char* parameters, const char* directory, int show_command) override;
  RegResult RegCreateKeyEx(RegKey key, const std::string& sub_key, std::uint32_t options,
                           std::uint32_t access, RegKey* result) override;
  RegResult RegOpenKeyEx(RegKey key, const std::string& sub_key, std::uint32_t options,
                         std::uint32_t access, RegKey* result) override;
  RegResult RegSetValueEx(RegKey key, const std::string& value_name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) override;
  RegResult RegCloseKey(RegKey key) override;

 private:
  struct Timer {
    std::uint32_t interval;
    std::uint32_t due;
    bool pending = false;
  };
  MessageResult Send(WindowHandle window, const Message& message);
  void Post(WindowHandle window, const Message& message);
  void Activate(WindowHandle window);
  void Deactivate();
  void SetState(WindowHandle window, TWindowState state);
  bool DispatchOne(WindowHandle dialog);
  void RunNextAction();
  void AdvanceTo(std::uint32_t target);
  bool NextRegCallFails();
  RegResult RecordReg(RegCall call);
  std::string KeyPath(RegKey key) const;

  WindowHandle next_handle_ = 0x100;
  std::deque<Action> script_;
  std::deque<std::pair<WindowHandle, Message>> queue_;
  bool quit_posted_ = false;
  bool painting_ = false;
  std::map<std::pair<WindowHandle, std::uint32_t>, Timer> timers_;
  std::map<MenuHandle, std::vector<MenuEntry>> menu_entries_;
  std::vector<WindowHandle> creation_order_;
  std::optional<std::string> menu_choice_;  // set by the script while a menu is open
  bool dismiss_box_ = false;
  std::map<RegKey, std::string> reg_handles_;
  RegKey next_reg_ = 0x1000;
  int reg_call_count_ = 0;
};

// Runs the program block on the simulated system; returns the exit code.
int RunVexo(SimWindowSystem& ws);

}  // namespace vcl
