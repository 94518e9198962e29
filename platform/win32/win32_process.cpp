#include "platform/win32/win32_process.h"

#include <windows.h>

namespace vcl {

std::string Win32Process::CommandLine() { return GetCommandLineA(); }

std::optional<int> Win32Process::StartupShowCommand() {
  STARTUPINFOA info{};
  info.cb = sizeof(info);
  GetStartupInfoA(&info);
  if ((info.dwFlags & STARTF_USESHOWWINDOW) == 0) return std::nullopt;
  return info.wShowWindow;
}

void Win32Process::ExitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

}  // namespace vcl
