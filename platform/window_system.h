// The one small interface between the portable core and a window system.
// A back end translates these calls; it decides nothing of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/message.h"
#include "platform/types.h"

namespace vcl {

struct FormWindowParams {
  std::string caption;
  Rect normal_placement;  // the window's rectangle when not maximised
  bool app_window = true;  // carries the program's taskbar entry
};

struct MenuEntry {
  std::string caption;
  std::uint32_t command = 0;
  bool separator = false;
};

// The message font's measures, for laying out the information box.
struct FontMetrics {
  int average_char_width = 0;
  int char_height = 0;
};

// Where the information box and its controls go; client coordinates for the
// controls, screen coordinates for the window (frame included).
struct InfoBoxGeometry {
  Rect window;
  Rect icon;
  Rect text;
  Rect button;
};

// Frame thickness around the information box's client area.
struct FrameInsets {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

constexpr std::uint32_t kIdOk = 1;
constexpr std::uint32_t kIdCancel = 2;

enum class PumpResult { kDispatched, kQuit, kEmpty };

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Process.
  virtual std::string CommandLine() = 0;
  // The show command of the start-up information, when it carries one.
  virtual std::optional<int> StartupShowCommand() = 0;
  [[noreturn]] virtual void ExitProcess(int code) = 0;

  // Windows.
  virtual WindowHandle CreateFormWindow(const FormWindowParams& params,
                                        MessageTarget* target) = 0;
  virtual WindowHandle CreateInfoBoxWindow(WindowHandle owner,
                                           const std::string& title,
                                           const std::string& text,
                                           const InfoBoxGeometry& geometry,
                                           MessageTarget* target) = 0;
  virtual void DestroyWindow(WindowHandle window) = 0;
  virtual void ShowWindow(WindowHandle window, int show_command) = 0;
  virtual void SetTopmost(WindowHandle window, bool topmost) = 0;
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  virtual bool IsWindowEnabled(WindowHandle window) = 0;
  virtual void EnableWindow(WindowHandle window, bool enable) = 0;
  virtual WindowHandle GetActiveWindow() = 0;
  virtual void SetActiveWindow(WindowHandle window) = 0;
  virtual void FocusDefaultButton(WindowHandle box) = 0;
  virtual void Invalidate(WindowHandle window) = 0;
  // Fills the client area; valid while a paint or erase message is handled.
  virtual void FillClient(WindowHandle window, TColor color) = 0;
  virtual Point ClientToScreen(WindowHandle window, Point point) = 0;
  virtual Rect MonitorRect(WindowHandle window) = 0;
  virtual WindowHandle GetCapture() = 0;
  virtual void SendCancelMode(WindowHandle window) = 0;

  // Information box measures, in the system's message-box font.
  virtual FontMetrics MessageFontMetrics() = 0;
  virtual Size MeasureText(const std::string& text, int max_width) = 0;
  virtual int InfoIconSize() = 0;
  virtual FrameInsets InfoBoxFrame() = 0;

  // Menus. TrackPopupMenu is modal; a choice arrives later as kCommand.
  virtual MenuHandle CreatePopupMenu(const std::vector<MenuEntry>& entries) = 0;
  virtual void DestroyMenu(MenuHandle menu) = 0;
  virtual void TrackPopupMenu(MenuHandle menu, Point screen_point,
                              WindowHandle owner) = 0;

  // Timers: a periodic tick of `id` for `window`; false when refused.
  virtual bool SetTimer(WindowHandle window, std::uint32_t id,
                        std::uint32_t interval_ms) = 0;
  virtual void KillTimer(WindowHandle window, std::uint32_t id) = 0;

  // Message loop. `dialog` gets the system's dialog keys (Enter, Esc, Tab).
  virtual PumpResult PumpMessage(WindowHandle dialog) = 0;
  virtual void WaitMessage() = 0;
  virtual void PostQuitMessage(int code) = 0;

  // The error box: the system's message box.
  virtual void MessageBox(WindowHandle owner, const std::string& text,
                          const std::string& caption, std::uint32_t flags) = 0;

  // Shell. Null pointers are passed on as null.
  virtual void ShellExecute(WindowHandle owner, const char* operation,
                            const char* file, const char* parameters,
                            const char* directory, int show_command) = 0;

  // Registry, with the system's arguments and result codes.
  virtual RegResult RegCreateKeyEx(RegKey key, const std::string& sub_key,
                                   std::uint32_t options, std::uint32_t access,
                                   RegKey* result) = 0;
  virtual RegResult RegOpenKeyEx(RegKey key, const std::string& sub_key,
                                 std::uint32_t options, std::uint32_t access,
                                 RegKey* result) = 0;
  virtual RegResult RegSetValueEx(RegKey key, const std::string& value_name,
                                  std::uint32_t type,
                                  const std::vector<std::uint8_t>& data) = 0;
  virtual RegResult RegCloseKey(RegKey key) = 0;
};

constexpr std::uint32_t kMbOk = 0x0;
constexpr std::uint32_t kMbIconStop = 0x10;

}  // namespace vcl
