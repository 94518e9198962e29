#include "platform/sim/sim_shell.h"

namespace vcl {

void SimShell::ShellExecute(WindowHandle owner, const char* operation, const char* file,
                            const char* parameters, const char* directory, int show_command) {
  auto text = [](const char* s) { return s ? std::optional<std::string>(s) : std::nullopt; };
  calls.push_back({owner, text(operation), text(file), text(parameters), text(directory),
                   show_command});
}

}  // namespace vcl
