// The shell: opening a document or an address with the program it belongs to.
#pragma once

#include "platform/types.h"

namespace vcl {

class Shell {
 public:
  virtual ~Shell() = default;

  // Null pointers are passed on as null.
  virtual void ShellExecute(WindowHandle owner, const char* operation,
                            const char* file, const char* parameters,
                            const char* directory, int show_command) = 0;
};

}  // namespace vcl
