#include "platform/win32/win32_window_system.h"

#include <windowsx.h>

namespace vcl {
namespace {

const char kFormClass[] = "VelumenForm";
const char kBoxClass[] = "VelumenInfoBox";
const DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
const DWORD kBoxExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }
HKEY Hkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

MessageTarget* TargetOf(HWND window) {
  return reinterpret_cast<MessageTarget*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

TShiftState ShiftNow(LPARAM lparam) {
  TShiftState shift;
  shift.shift = GetKeyState(VK_SHIFT) < 0;
  shift.ctrl = GetKeyState(VK_CONTROL) < 0;
  // Bit 29 of a key message tells that Alt was held.
  shift.alt = (lparam & (1L << 29)) != 0 || GetKeyState(VK_MENU) < 0;
  return shift;
}

Win32WindowSystem* the_system = nullptr;

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {
  the_system = this;
  WNDCLASSEXA form_class{};
  form_class.cbSize = sizeof(form_class);
  form_class.lpfnWndProc = WindowProc;
  form_class.hInstance = instance;
  form_class.hIcon = LoadIconA(instance, "MAINICON");
  form_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // Black like the first colour, so nothing lighter can show before the
  // first paint.
  form_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  form_class.lpszClassName = kFormClass;
  RegisterClassExA(&form_class);

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
  the_system = nullptr;
}

std::string Win32WindowSystem::CommandLine() { return GetCommandLineA(); }

std::optional<int> Win32WindowSystem::StartupShowCommand() {
  STARTUPINFOA info{};
  info.cb = sizeof(info);
  GetStartupInfoA(&info);
  if ((info.dwFlags & STARTF_USESHOWWINDOW) == 0) return std::nullopt;
  return info.wShowWindow;
}

void Win32WindowSystem::ExitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

LRESULT CALLBACK Win32WindowSystem::WindowProc(HWND window, UINT message, WPARAM wparam,
                                                LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  }
  if (the_system == nullptr || TargetOf(window) == nullptr) {
    return DefWindowProcA(window, message, wparam, lparam);
  }
  return the_system->Route(window, message, wparam, lparam);
}

LRESULT Win32WindowSystem::Route(HWND window, UINT message, WPARAM wparam,
                                 LPARAM lparam) {
  MessageTarget* target = TargetOf(window);
  Message m{MessageKind::kPaint};
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC previous = paint_dc_;
      paint_dc_ = BeginPaint(window, &paint);
      const MessageResult result = target->HandleMessage(m);
      EndPaint(window, &paint);
      paint_dc_ = previous;
      if (result.handled) return result.value;
      return 0;
    }
    case WM_ERASEBKGND: {
      m.kind = MessageKind::kEraseBackground;
      HDC previous = paint_dc_;
      paint_dc_ = reinterpret_cast<HDC>(wparam);
      const MessageResult result = target->HandleMessage(m);
      paint_dc_ = previous;
      if (result.handled) return result.value;
      return DefWindowProcA(window, message, wparam, lparam);
    }
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
    case WM_SETFOCUS:
      m.kind = MessageKind::kSetFocus;
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
  const MessageResult result = target->HandleMessage(m);
  if (result.handled) return result.value;
  return DefWindowProcA(window, message, wparam, lparam);
}

WindowHandle Win32WindowSystem::CreateFormWindow(const FormWindowParams& params,
                                                 MessageTarget* target) {
  const Rect& r = params.normal_placement;
  HWND window = CreateWindowExA(params.app_window ? WS_EX_APPWINDOW : 0, kFormClass,
                                params.caption.c_str(), WS_POPUP | WS_CLIPCHILDREN,
                                r.left, r.top, r.Width(), r.Height(), nullptr, nullptr,
                                instance_, target);
  return Handle(window);
}

WindowHandle Win32WindowSystem::CreateInfoBoxWindow(WindowHandle owner,
                                                    const std::string& title,
                                                    const std::string& text,
                                                    const InfoBoxGeometry& g,
                                                    MessageTarget* target) {
  HWND box = CreateWindowExA(kBoxExStyle, kBoxClass, title.c_str(), kBoxStyle,
                             g.window.left, g.window.top, g.window.Width(),
                             g.window.Height(), Hwnd(owner), nullptr, instance_, target);
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
  SendMessageA(icon, STM_SETICON,
               reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_INFORMATION)), 0);
  child("STATIC", text.c_str(), SS_LEFT | SS_NOPREFIX, g.text, -1);
  child("BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, g.button, IDOK);
  return Handle(box);
}

void Win32WindowSystem::DestroyWindow(WindowHandle window) { ::DestroyWindow(Hwnd(window)); }

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
  // Activating again after a box means being the foreground window again;
  // the program took the last input, so the system lets it.
  SetForegroundWindow(Hwnd(window));
  ::SetActiveWindow(Hwnd(window));
}

void Win32WindowSystem::FocusDefaultButton(WindowHandle box) {
  ::SetFocus(GetDlgItem(Hwnd(box), IDOK));
}

void Win32WindowSystem::Invalidate(WindowHandle window) {
  // No erase: the paint itself fills the whole client, so one fill per change.
  InvalidateRect(Hwnd(window), nullptr, FALSE);
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

FontMetrics Win32WindowSystem::MessageFontMetrics() {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, MessageFont());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  // The average width of the letters, as dialog units are reckoned.
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  GetTextExtentPoint32A(dc, kLetters, 52, &extent);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {(extent.cx / 26 + 1) / 2, static_cast<int>(tm.tmHeight)};
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

int Win32WindowSystem::InfoIconSize() { return GetSystemMetrics(SM_CXICON); }

FrameInsets Win32WindowSystem::InfoBoxFrame() {
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, kBoxStyle, FALSE, kBoxExStyle);
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

PumpResult Win32WindowSystem::PumpMessage(WindowHandle dialog) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return PumpResult::kEmpty;
  if (msg.message == WM_QUIT) return PumpResult::kQuit;
  if (dialog != 0 && IsDialogMessageA(Hwnd(dialog), &msg)) return PumpResult::kDispatched;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return PumpResult::kDispatched;
}

void Win32WindowSystem::WaitMessage() { ::WaitMessage(); }

void Win32WindowSystem::PostQuitMessage(int code) { ::PostQuitMessage(code); }

void Win32WindowSystem::MessageBox(WindowHandle owner, const std::string& text,
                                   const std::string& caption, std::uint32_t flags) {
  MessageBoxA(Hwnd(owner), text.c_str(), caption.c_str(), flags);
}

void Win32WindowSystem::ShellExecute(WindowHandle owner, const char* operation,
                                     const char* file, const char* parameters,
                                     const char* directory, int show_command) {
  // shell32 is loaded on first use: it is large, and a start that never
  // opens the home page should not pay for loading it.
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  HMODULE shell = LoadLibraryA("shell32.dll");
  if (shell == nullptr) return;
  auto shell_execute =
      reinterpret_cast<ShellExecuteFn>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
  if (shell_execute != nullptr) {
    shell_execute(Hwnd(owner), operation, file, parameters, directory, show_command);
  }
}

RegResult Win32WindowSystem::RegCreateKeyEx(RegKey key, const std::string& sub_key,
                                            std::uint32_t options, std::uint32_t access,
                                            RegKey* result) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExA(Hkey(key), sub_key.c_str(), 0, nullptr, options,
                                      access, nullptr, &created, &disposition);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(created);
  return status;
}

RegResult Win32WindowSystem::RegOpenKeyEx(RegKey key, const std::string& sub_key,
                                          std::uint32_t options, std::uint32_t access,
                                          RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(Hkey(key), sub_key.c_str(), options, access, &opened);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(opened);
  return status;
}

RegResult Win32WindowSystem::RegSetValueEx(RegKey key, const std::string& value_name,
                                           std::uint32_t type,
                                           const std::vector<std::uint8_t>& data) {
  return RegSetValueExA(Hkey(key), value_name.c_str(), 0, type, data.data(),
                        static_cast<DWORD>(data.size()));
}

RegResult Win32WindowSystem::RegCloseKey(RegKey key) { return ::RegCloseKey(Hkey(key)); }

}  // namespace vcl
