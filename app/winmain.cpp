// The Windows entry point: the real window system under the program block.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "app/vexo.h"
#include "platform/system_services.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_window_system.h"

// A GUI program has no console for the runtime's verbose terminate message;
// replacing that handler keeps it, and the demangler and printf it drags in,
// out of the file. Every handler's exceptions are caught anyway.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  vcl::Win32WindowSystem windows(instance);
  vcl::Win32Registry registry;
  vcl::Win32Process process;
  vcl::Win32Shell shell;
  vcl::Win32Power power;
  Vexo({windows, registry, process, shell, power});
}
