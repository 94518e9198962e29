// The desktop compositor (unless the faults say there is none) and the
// thread's drawing batch, as Windows 8 and later have them: a shown window
// is composed from a surface of its own, which is white until the window
// has painted it; for a window shown for the first time the class brush
// does not fill it first (public reports of a white frame before the first
// paint, about 130 ms of it, also for windows with a black class brush).
// GDI batches fills until GdiFlush or the next call into the system
// (EndPaint).
#include "platform/sim/sim_window_system.h"

namespace vcl {
namespace {

constexpr TColor kUnpaintedSurface = 0xFFFFFF;

}  // namespace

bool SimWindowSystem::SetCloaked(WindowHandle window, bool cloaked) {
  if (faults_->no_compositor) return false;  // no dwmapi, or DwmSetWindowAttribute fails
  windows_.at(window).cloaked = cloaked;
  // An uncloaked window is composed at once, with what its surface has.
  Compose();
  return true;
}

void SimWindowSystem::FlushDrawing() {
  for (auto& [handle, w] : windows_) {
    if (w.batched) w.surface = w.batched;
    w.batched.reset();
  }
}

void SimWindowSystem::EraseOnShow(WindowHandle window) {
  Window& w = windows_.at(window);
  if (!faults_->no_compositor && !w.surface && w.kind == Kind::kForm) {
    w.needs_erase = true;  // BeginPaint's erase, when the paint comes
    return;
  }
  EraseNow(window);
  FlushDrawing();
}

void SimWindowSystem::Compose() {
  if (faults_->no_compositor) return;
  for (const auto& [handle, w] : windows_) {
    if (w.kind != Kind::kForm) continue;  // the system draws its dialogs itself
    const bool seen = IsOurs(handle) && w.visible && !w.cloaked &&
                      w.state != TWindowState::wsMinimized;
    if (!seen) {
      composed_.erase(handle);
      continue;
    }
    const TColor color = w.surface.value_or(kUnpaintedSurface);
    auto it = composed_.find(handle);
    if (it != composed_.end() && it->second == color) continue;
    composed_[handle] = color;
    frames_.push_back({now_, handle, color});
  }
}

}  // namespace vcl
