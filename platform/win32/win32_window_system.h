// The real window system: user32, gdi32, shell32, advapi32 and kernel32.
#pragma once

#include <windows.h>
#include <shellapi.h>

// The interface's names are the system's too; here they mean the interface.
#undef MessageBox
#undef ShellExecute
#undef RegCreateKeyEx
#undef RegOpenKeyEx
#undef RegSetValueEx

#include "platform/window_system.h"

namespace vcl {

class Win32WindowSystem final : public WindowSystem {
 public:
  explicit Win32WindowSystem(HINSTANCE instance);
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  std::string CommandLine() override;
  std::optional<int> StartupShowCommand() override;
  [[noreturn]] void ExitProcess(int code) override;

  WindowHandle CreateFormWindow(const FormWindowParams& params,
                                MessageTarget* target) override;
  WindowHandle CreateInfoBoxWindow(const InfoBoxContents& contents, MessageTarget* target) override;
  void DestroyWindow(WindowHandle window) override;
  std::vector<WindowHandle> ThreadWindows() override;
  void ShowWindow(WindowHandle window, int show_command) override;
  void SetTopmost(WindowHandle window, bool topmost) override;
  bool IsWindowVisible(WindowHandle window) override;
  bool IsWindowEnabled(WindowHandle window) override;
  void EnableWindow(WindowHandle window, bool enable) override;
  WindowHandle GetActiveWindow() override;
  void SetActiveWindow(WindowHandle window) override;
  WindowHandle GetFocus() override;
  void FocusButton(WindowHandle box, std::uint32_t id) override;
  void Invalidate(WindowHandle window, bool erase) override;
  void FillClient(WindowHandle window, TColor color) override;
  Point ClientToScreen(WindowHandle window, Point point) override;
  Rect MonitorRect(WindowHandle window) override;
  WindowHandle GetCapture() override;
  void SendCancelMode(WindowHandle window) override;

  FontMeasures MessageFontMeasures() override;
  Size MeasureText(const std::string& text, int max_width) override;
  int IconSize(SystemIcon icon) override;
  FrameInsets FrameOf(FrameKind frame) override;

  MenuHandle CreatePopupMenu(const std::vector<MenuEntry>& entries) override;
  void DestroyMenu(MenuHandle menu) override;
  void TrackPopupMenu(MenuHandle menu, Point screen_point, WindowHandle owner) override;

  bool SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t interval_ms) override;
  void KillTimer(WindowHandle window, std::uint32_t id) override;

  PumpResult PumpMessage(WindowHandle dialog) override;
  void WaitMessage() override;
  void PostQuitMessage(int code) override;

  void MessageBox(WindowHandle owner, const std::string& text,
                  const std::string& caption, std::uint32_t flags) override;
  void ShellExecute(WindowHandle owner, const char* operation, const char* file,
                    const char* parameters, const char* directory,
                    int show_command) override;

  RegResult RegCreateKeyEx(RegKey key, const std::string& sub_key, std::uint32_t options,
                           std::uint32_t access, RegKey* result) override;
  RegResult RegOpenKeyEx(RegKey key, const std::string& sub_key, std::uint32_t options,
                         std::uint32_t access, RegKey* result) override;
  RegResult RegSetValueEx(RegKey key, const std::string& value_name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) override;
  RegResult RegCloseKey(RegKey key) override;

 private:
  // What a window of ours carries: the system that made it and the core's
  // object that gets its messages. Found through the window itself.
  struct Binding {
    Win32WindowSystem* system;
    MessageTarget* target;
  };
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam);
  LRESULT Route(HWND window, MessageTarget& target, UINT message, WPARAM wparam,
                LPARAM lparam);
  HWND CreateBound(DWORD ex_style, const char* window_class, const std::string& caption,
                   DWORD style, const Rect& r, HWND owner, MessageTarget* target);
  void RegisterFormClass(const WindowLook& look);
  HFONT MessageFont();

  HINSTANCE instance_;
  bool form_class_registered_ = false;
  HDC paint_dc_ = nullptr;  // set while a paint or erase message is handled
  HFONT message_font_ = nullptr;
};

}  // namespace vcl
