// The project's opaque handles as the system's own.
#pragma once

#include <windows.h>

#include "platform/types.h"

namespace vcl {

inline HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }
inline HKEY Hkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace vcl
