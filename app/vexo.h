#pragma once

namespace vcl {
struct SystemServices;
}

// The program block: names the application, creates Form1 and runs it.
// Ends the process through the system's process service; never returns.
[[noreturn]] void Vexo(const vcl::SystemServices& system);
