// The Windows entry point: the real window system under the program block.
#include <windows.h>

#include "app/vexo.h"
#include "platform/win32/win32_window_system.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  vcl::Win32WindowSystem ws(instance);
  Vexo(ws);
}
