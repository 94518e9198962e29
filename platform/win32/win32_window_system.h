// The real window system: user32 and gdi32.
#pragma once

#include <windows.h>

// The interface's names are the system's too; here they mean the interface.
#undef MessageBox
#undef PeekMessage
#undef IsDialogMessage
#undef DispatchMessage
#undef MoveWindow

#include "platform/window_system.h"

namespace vcl {

class Win32WindowSystem final : public WindowSystem {
 public:
  explicit Win32WindowSystem(HINSTANCE instance);
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  void RegisterFormClass(const FormClassLook& look) override;
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
  void SetForegroundWindow(WindowHandle window) override;
  WindowHandle GetFocus() override;
  void FocusButton(WindowHandle box, std::uint32_t id) override;
  void Invalidate(WindowHandle window, bool erase) override;
  void FillClient(WindowHandle window, TColor color) override;
  Point ClientToScreen(WindowHandle window, Point point) override;
  Rect MonitorRect(WindowHandle window) override;
  WindowHandle GetCapture() override;
  void SendCancelMode(WindowHandle window) override;
  void MoveWindow(WindowHandle window, const Rect& rect) override;
  Rect MonitorRectOf(const Rect& rect) override;
  bool SetCloaked(WindowHandle window, bool cloaked) override;
  void FlushDrawing() override;

  FontExtent MessageFontExtent() override;
  Size MeasureText(const std::string& text, int max_width) override;
  int IconSize(SystemIcon icon) override;
  FrameInsets FrameOf(FrameKind frame) override;

  MenuHandle CreatePopupMenu(const std::vector<MenuEntry>& entries) override;
  void DestroyMenu(MenuHandle menu) override;
  void TrackPopupMenu(MenuHandle menu, Point screen_point, WindowHandle owner) override;

  bool SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t interval_ms) override;
  void KillTimer(WindowHandle window, std::uint32_t id) override;

  PeekResult PeekMessage(PeekedMessage* message) override;
  bool IsDialogMessage(WindowHandle dialog) override;
  void DispatchMessage() override;
  void WaitMessage() override;
  void PostQuitMessage(int code) override;

  void MessageBox(WindowHandle owner, const std::string& text,
                  const std::string& caption, std::uint32_t flags) override;

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
  HFONT MessageFont();

  HINSTANCE instance_;
  HDC paint_dc_ = nullptr;  // set while a paint or erase message is handled
  HFONT message_font_ = nullptr;
  MSG held_{};  // the message PeekMessage took, until it is handled
};

}  // namespace vcl
