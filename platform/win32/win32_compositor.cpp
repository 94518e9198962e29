// The compositor's cloak, through dwmapi found at run time: the program
// imports system DLLs only, and starts where there is no dwmapi (before
// Vista), or where it has no DwmSetWindowAttribute or refuses the cloak
// (before Windows 8, or with composition off).
#include "platform/win32/win32_window_system.h"

namespace vcl {
namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

constexpr DWORD kDwmwaCloak = 13;

using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

DwmSetWindowAttributeFn DwmSetWindowAttributeEntry() {
  static const DwmSetWindowAttributeFn entry = [] {
    // From the system folder only, never from beside the program.
    HMODULE dwmapi = LoadLibraryExA("dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (dwmapi == nullptr) return DwmSetWindowAttributeFn{};
    return reinterpret_cast<DwmSetWindowAttributeFn>(
        reinterpret_cast<void*>(GetProcAddress(dwmapi, "DwmSetWindowAttribute")));
  }();
  return entry;
}

}  // namespace

bool Win32WindowSystem::SetCloaked(WindowHandle window, bool cloaked) {
  const DwmSetWindowAttributeFn set = DwmSetWindowAttributeEntry();
  if (set == nullptr) return false;
  const BOOL value = cloaked ? TRUE : FALSE;
  return SUCCEEDED(set(reinterpret_cast<HWND>(window), kDwmwaCloak, &value, sizeof(value)));
}

}  // namespace vcl
