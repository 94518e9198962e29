#pragma once

namespace vcl {
class WindowSystem;
}

// The program block: names the application, creates Form1 and runs it.
// Ends the process through the window system; never returns.
[[noreturn]] void Vexo(vcl::WindowSystem& ws);
