#include "platform/win32/win32_shell.h"

#include "platform/win32/win32_handles.h"

namespace vcl {

void Win32Shell::ShellExecute(WindowHandle owner, const char* operation, const char* file,
                              const char* parameters, const char* directory,
                              int show_command) {
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

}  // namespace vcl
