// The real shell: shell32, loaded when first used.
#pragma once

#include <windows.h>

// The interface's name is the system's too; here it means the interface.
#undef ShellExecute

#include "platform/shell.h"

namespace vcl {

class Win32Shell final : public Shell {
 public:
  void ShellExecute(WindowHandle owner, const char* operation, const char* file,
                    const char* parameters, const char* directory,
                    int show_command) override;
};

}  // namespace vcl
