// Painting: erase and paint, the update region, the class brush.
#include "platform/sim/sim_window_system.h"

#include <algorithm>

namespace vcl {

// ----- Painting -----

void SimWindowSystem::EraseNow(WindowHandle window) {
  Window& w = windows_.at(window);
  w.needs_erase = false;
  if (w.kind != Kind::kForm) return;  // the system draws its dialogs itself
  painting_ = erasing_ = true;
  const MessageResult result = Send(window, Message{MessageKind::kEraseBackground});
  painting_ = erasing_ = false;
  if (!result.handled) {
    // DefWindowProc erases with the class brush.
    fills_.push_back({now_, window, form_class_->background, true, true});
    w.shown_color = w.batched = form_class_->background;
  }
}

void SimWindowSystem::PaintNow(WindowHandle window) {
  Window& w = windows_.at(window);
  w.needs_paint = false;
  // BeginPaint erases first when the update region asks for it.
  if (w.needs_erase) EraseNow(window);
  painting_ = true;
  Send(window, Message{MessageKind::kPaint});
  painting_ = false;
  // EndPaint goes to the system, which carries out the thread's batch.
  FlushDrawing();
}

void SimWindowSystem::Invalidate(WindowHandle window, bool erase) {
  Window& w = windows_.at(window);
  w.needs_paint = true;
  w.needs_erase = w.needs_erase || erase;
}

void SimWindowSystem::FillClient(WindowHandle window, TColor color) {
  if (!painting_) {
    ++fills_outside_paint_;
    return;
  }
  fills_.push_back({now_, window, color, erasing_, false});
  windows_.at(window).shown_color = windows_.at(window).batched = color;
}

void SimWindowSystem::Uncover(WindowHandle window) {
  // What lay below comes to light: invalid, to be erased and painted.
  auto it = std::find(z_order_.begin(), z_order_.end(), window);
  if (it == z_order_.end()) return;
  for (++it; it != z_order_.end(); ++it) {
    Window& below = windows_.at(*it);
    if (IsOurs(*it) && below.visible) below.needs_paint = below.needs_erase = true;
  }
}

}  // namespace vcl
