#include "platform/win32/win32_window_system.h"

#include <windowsx.h>

#include "platform/win32/win32_handles.h"

namespace vcl {
namespace {

const char kFormClass[] = "VelumenForm";
const char kBoxClass[] = "VelumenInfoBox";

// The system's styles for a look.
DWORD StyleOf(const WindowLook& look) {
  DWORD style = WS_POPUP | WS_CLIPCHILDREN;
  if (look.frame == FrameKind::kFixedDialog) style |= WS_CAPTION | WS_SYSMENU;
  if (look.minimize_box) style |= WS_MINIMIZEBOX;
  return style;
}
DWORD ExStyleOf(const WindowLook& look) {
  DWORD ex_style = 0;
  if (look.frame == FrameKind::kFixedDialog) ex_style |= WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  if (look.taskbar_entry) ex_style |= WS_EX_APPWINDOW;
  return ex_style;
}
WindowLook DialogLook(FrameKind frame) {
  WindowLook look;
  look.frame = frame;
  return look;
}
const char* CursorOf(PointerShape pointer) {
  switch (pointer) {
    case PointerShape::kArrow:
      break;
  }
  return IDC_ARROW;
}
const char* IconOf(SystemIcon icon) {
  switch (icon) {
    case SystemIcon::kInformation:
      break;
  }
  return IDI_INFORMATION;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(Handle(window));
  return TRUE;
}

TShiftState ShiftNow(LPARAM lparam) {
  TShiftState shift;
  shift.shift = GetKeyState(VK_SHIFT) < 0;
  shift.ctrl = GetKeyState(VK_CONTROL) < 0;
  // Bit 29 of a key message tells that Alt was held.
  shift.alt = (lparam & (1L << 29)) != 0 || GetKeyState(VK_MENU) < 0;
  return shift;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXA box_class{};
  box_class.cbSize = sizeof(box_class);
  box_class.lpfnWndProc = WindowProc;
  box_class.hInstance = instance;
  box_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  box_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  box_class.lpszClassName = kBoxClass;
  RegisterClassExA(&box_class);
}

Win32WindowSystem::~Win32WindowSystem() {
  if (message_font_ != nullptr) DeleteObject(message_font_);
}

void Win32WindowSystem::RegisterFormClass(const FormClassLook& look) {
  WNDCLASSEXA form_class{};
  form_class.cbSize = sizeof(form_class);
  form_class.lpfnWndProc = WindowProc;
  form_class.hInstance = instance_;
  form_class.hIcon = LoadIconA(instance_, "MAINICON");
  form_class.hCursor = LoadCursorA(nullptr, CursorOf(look.pointer));
  // The class keeps its brush for the life of the process.
  form_class.hbrBackground = CreateSolidBrush(look.background);
  form_class.lpszClassName = kFormClass;
  RegisterClassExA(&form_class);
}

LRESULT CALLBACK Win32WindowSystem::WindowProc(HWND window, UINT message, WPARAM wparam,
                                                LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* binding = reinterpret_cast<Binding*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY && binding != nullptr) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete binding;
    binding = nullptr;
  }
  if (binding == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  return binding->system->Route(window, *binding->target, message, wparam, lparam);
}

LRESULT Win32WindowSystem::Route(HWND window, MessageTarget& target, UINT message,
                                 WPARAM wparam, LPARAM lparam) {
  Message m{MessageKind::kPaint};
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC previous = paint_dc_;
      paint_dc_ = BeginPaint(window, &paint);
      const MessageResult result = target.HandleMessage(m);
      EndPaint(window, &paint);
      paint_dc_ = previous;
      if (result.handled) return result.value;
      return 0;
    }
    case WM_ERASEBKGND: {
      m.kind = MessageKind::kEraseBackground;
      HDC previous = paint_dc_;
      paint_dc_ = reinterpret_cast<HDC>(wparam);
      const MessageResult result = target.HandleMessage(m);
      paint_dc_ = previous;
      if (result.handled) return result.value;
      return DefWindowProcA(window, message, wparam, lparam);
    }
    case WM_RBUTTONDOWN:
      m.kind = MessageKind::kRightButtonDown;
      m.point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      break;
    case WM_RBUTTONUP:
      m.kind = MessageKind::kRightButtonUp;
      m.point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      m.kind = MessageKind::kKeyUp;
      m.key = static_cast<VirtualKey>(wparam);
      m.shift = ShiftNow(lparam);
      break;
    case WM_CONTEXTMENU:
      m.kind = MessageKind::kContextMenu;
      break;
    case WM_COMMAND:
      m.kind = MessageKind::kCommand;
      m.id = LOWORD(wparam);
      break;
    case WM_TIMER:
      m.kind = MessageKind::kTimer;
      m.id = static_cast<std::uint32_t>(wparam);
      break;
    case WM_CLOSE:
      m.kind = MessageKind::kClose;
      break;
    case WM_QUERYENDSESSION:
      m.kind = MessageKind::kQueryEndSession;
      break;
    case WM_ENDSESSION:
      m.kind = MessageKind::kEndSession;
      m.flag = wparam != 0;
      break;
    case WM_ACTIVATE:
      m.kind = MessageKind::kActivate;
      m.flag = LOWORD(wparam) != WA_INACTIVE;
      break;
    case WM_SETFOCUS:
      m.kind = MessageKind::kSetFocus;
      break;
    case WM_SYSCOMMAND:
      m.kind = MessageKind::kSysCommand;
      // The low four bits are the system's own.
      m.id = static_cast<std::uint32_t>(wparam & 0xFFF0);
      break;
    case WM_DISPLAYCHANGE:
      m.kind = MessageKind::kDisplayChange;
      break;
    case WM_SIZE:
      m.kind = MessageKind::kSize;
      if (wparam == SIZE_MINIMIZED) {
        m.state = TWindowState::wsMinimized;
      } else if (wparam == SIZE_MAXIMIZED) {
        m.state = TWindowState::wsMaximized;
      } else if (wparam == SIZE_RESTORED) {
        m.state = TWindowState::wsNormal;
      } else {
        return DefWindowProcA(window, message, wparam, lparam);
      }
      break;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
  const MessageResult result = target.HandleMessage(m);
  if (result.handled) return result.value;
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND Win32WindowSystem::CreateBound(DWORD ex_style, const char* window_class,
                                    const std::string& caption, DWORD style, const Rect& r,
                                    HWND owner, MessageTarget* target) {
  auto* binding = new Binding{this, target};
  HWND window = CreateWindowExA(ex_style, window_class, caption.c_str(), style, r.left, r.top,
                                r.Width(), r.Height(), owner, nullptr, instance_, binding);
  // Without a window, WM_NCDESTROY never comes to free it.
  if (window == nullptr) delete binding;
  return window;
}

WindowHandle Win32WindowSystem::CreateFormWindow(const FormWindowParams& params,
                                                 MessageTarget* target) {
  return Handle(CreateBound(ExStyleOf(params.look), kFormClass, params.caption,
                            StyleOf(params.look), params.normal_placement, nullptr, target));
}

WindowHandle Win32WindowSystem::CreateInfoBoxWindow(const InfoBoxContents& contents,
                                                    MessageTarget* target) {
  const WindowLook look = DialogLook(contents.frame);
  const InfoBoxGeometry& g = contents.geometry;
  HWND box = CreateBound(ExStyleOf(look), kBoxClass, contents.title, StyleOf(look), g.window,
                         Hwnd(contents.owner), target);
  auto child = [&](const char* cls, const char* caption, DWORD style, const Rect& r,
                   int id) {
    HWND control = CreateWindowExA(0, cls, caption, WS_CHILD | WS_VISIBLE | style, r.left,
                                   r.top, r.Width(), r.Height(), box,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   instance_, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
    return control;
  };
  HWND icon = child("STATIC", "", SS_ICON, g.icon, -1);
  HICON system_icon = LoadIconA(nullptr, IconOf(contents.icon));
  SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(system_icon), 0);
  child("STATIC", contents.text.c_str(), SS_LEFT | SS_NOPREFIX, g.text, -1);
  const DialogButton& button = contents.button;
  child("BUTTON", button.caption.c_str(),
        (button.is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, g.button,
        static_cast<int>(button.id));
  return Handle(box);
}

void Win32WindowSystem::DestroyWindow(WindowHandle window) { ::DestroyWindow(Hwnd(window)); }

std::vector<WindowHandle> Win32WindowSystem::ThreadWindows() {
  std::vector<WindowHandle> windows;
  EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

void Win32WindowSystem::ShowWindow(WindowHandle window, int show_command) {
  ::ShowWindow(Hwnd(window), show_command);
}

void Win32WindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  SetWindowPos(Hwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Win32WindowSystem::IsWindowVisible(WindowHandle window) {
  return ::IsWindowVisible(Hwnd(window)) != FALSE;
}

bool Win32WindowSystem::IsWindowEnabled(WindowHandle window) {
  return ::IsWindowEnabled(Hwnd(window)) != FALSE;
}

void Win32WindowSystem::EnableWindow(WindowHandle window, bool enable) {
  ::EnableWindow(Hwnd(window), enable ? TRUE : FALSE);
}

WindowHandle Win32WindowSystem::GetActiveWindow() { return Handle(::GetActiveWindow()); }

void Win32WindowSystem::SetActiveWindow(WindowHandle window) {
  ::SetActiveWindow(Hwnd(window));
}

void Win32WindowSystem::SetForegroundWindow(WindowHandle window) {
  ::SetForegroundWindow(Hwnd(window));
}

WindowHandle Win32WindowSystem::GetFocus() { return Handle(::GetFocus()); }

void Win32WindowSystem::FocusButton(WindowHandle box, std::uint32_t id) {
  ::SetFocus(GetDlgItem(Hwnd(box), static_cast<int>(id)));
}

void Win32WindowSystem::Invalidate(WindowHandle window, bool erase) {
  InvalidateRect(Hwnd(window), nullptr, erase ? TRUE : FALSE);
}

void Win32WindowSystem::FillClient(WindowHandle window, TColor color) {
  if (paint_dc_ == nullptr) return;
  RECT client;
  GetClientRect(Hwnd(window), &client);
  // The DC's own brush: no GDI object is made or freed per paint.
  SetDCBrushColor(paint_dc_, color);
  FillRect(paint_dc_, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

Point Win32WindowSystem::ClientToScreen(WindowHandle window, Point point) {
  POINT p{point.x, point.y};
  ::ClientToScreen(Hwnd(window), &p);
  return {p.x, p.y};
}

Rect Win32WindowSystem::MonitorRect(WindowHandle window) {
  HMONITOR monitor = window != 0 ? MonitorFromWindow(Hwnd(window), MONITOR_DEFAULTTOPRIMARY)
                                 : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoA(monitor, &info);
  return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
          info.rcMonitor.bottom};
}

Rect Win32WindowSystem::MonitorRectOf(const Rect& rect) {
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info);
  return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
          info.rcMonitor.bottom};
}

void Win32WindowSystem::MoveWindow(WindowHandle window, const Rect& rect) {
  SetWindowPos(Hwnd(window), nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::FlushDrawing() { GdiFlush(); }

WindowHandle Win32WindowSystem::GetCapture() { return Handle(::GetCapture()); }

void Win32WindowSystem::SendCancelMode(WindowHandle window) {
  SendMessageA(Hwnd(window), WM_CANCELMODE, 0, 0);
}

HFONT Win32WindowSystem::MessageFont() {
  if (message_font_ == nullptr) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      message_font_ = CreateFontIndirectA(&metrics.lfMessageFont);
    }
    if (message_font_ == nullptr) {
      message_font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
  }
  return message_font_;
}

FontExtent Win32WindowSystem::MessageFontExtent() {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, MessageFont());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  GetTextExtentPoint32A(dc, kLetters, 52, &extent);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {static_cast<int>(extent.cx), static_cast<int>(tm.tmHeight)};
}

Size Win32WindowSystem::MeasureText(const std::string& text, int max_width) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, MessageFont());
  RECT r{0, 0, max_width, 0};
  DrawTextA(dc, text.c_str(), -1, &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_LEFT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right - r.left, r.bottom - r.top};
}

int Win32WindowSystem::IconSize(SystemIcon) { return GetSystemMetrics(SM_CXICON); }

FrameInsets Win32WindowSystem::FrameOf(FrameKind frame) {
  const WindowLook look = DialogLook(frame);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, StyleOf(look), FALSE, ExStyleOf(look));
  return {-r.left, -r.top, r.right, r.bottom};
}

MenuHandle Win32WindowSystem::CreatePopupMenu(const std::vector<MenuEntry>& entries) {
  HMENU menu = ::CreatePopupMenu();
  for (const MenuEntry& entry : entries) {
    if (entry.separator) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu, MF_STRING, entry.command, entry.caption.c_str());
    }
  }
  return reinterpret_cast<MenuHandle>(menu);
}

void Win32WindowSystem::DestroyMenu(MenuHandle menu) {
  ::DestroyMenu(reinterpret_cast<HMENU>(menu));
}

void Win32WindowSystem::TrackPopupMenu(MenuHandle menu, Point p, WindowHandle owner) {
  ::TrackPopupMenu(reinterpret_cast<HMENU>(menu),
                   TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, Hwnd(owner),
                   nullptr);
}

bool Win32WindowSystem::SetTimer(WindowHandle window, std::uint32_t id,
                                 std::uint32_t interval_ms) {
  return ::SetTimer(Hwnd(window), id, interval_ms, nullptr) != 0;
}

void Win32WindowSystem::KillTimer(WindowHandle window, std::uint32_t id) {
  ::KillTimer(Hwnd(window), id);
}

PeekResult Win32WindowSystem::PeekMessage(PeekedMessage* message) {
  if (!PeekMessageA(&held_, nullptr, 0, 0, PM_REMOVE)) return PeekResult::kEmpty;
  if (held_.message == WM_QUIT) return PeekResult::kQuit;
  *message = PeekedMessage{};
  message->top_level = Handle(held_.hwnd != nullptr ? GetAncestor(held_.hwnd, GA_ROOT) : nullptr);
  if (held_.message == WM_KEYDOWN || held_.message == WM_SYSKEYDOWN) {
    message->key_press = true;
    message->key = static_cast<VirtualKey>(held_.wParam);
    message->shift = ShiftNow(held_.lParam);
  }
  return PeekResult::kMessage;
}

bool Win32WindowSystem::IsDialogMessage(WindowHandle dialog) {
  return IsDialogMessageA(Hwnd(dialog), &held_) != FALSE;
}

void Win32WindowSystem::DispatchMessage() {
  TranslateMessage(&held_);
  DispatchMessageA(&held_);
}

void Win32WindowSystem::WaitMessage() { ::WaitMessage(); }

void Win32WindowSystem::PostQuitMessage(int code) { ::PostQuitMessage(code); }

void Win32WindowSystem::MessageBox(WindowHandle owner, const std::string& text,
                                   const std::string& caption, std::uint32_t flags) {
  MessageBoxA(Hwnd(owner), text.c_str(), caption.c_str(), flags);
}

}  // namespace vcl
