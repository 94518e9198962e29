// The system's modal loops: the pop-up menu's and the message box's.
#include "platform/sim/sim_window_system.h"

#include <algorithm>

#include "platform/sim/sim_monitors.h"

namespace vcl {

// ----- Menus -----

MenuHandle SimWindowSystem::CreatePopupMenu(const std::vector<MenuEntry>& entries) {
  const MenuHandle h = next_handle_++;
  menu_entries_[h] = entries;
  return h;
}

void SimWindowSystem::DestroyMenu(MenuHandle menu) {
  menu_entries_.erase(menu);
}

void SimWindowSystem::TrackPopupMenu(MenuHandle menu, Point p, WindowHandle owner) {
  // Its top-left corner at the point (TPM_LEFTALIGN | TPM_TOPALIGN), moved
  // so that it lies wholly on the monitor that holds the point.
  const std::vector<MenuEntry>& entries = menu_entries_.at(menu);
  int height = 6;
  for (const MenuEntry& entry : entries) height += entry.separator ? 8 : 18;
  const Rect wanted{p.x, p.y, p.x + 250, p.y + height};
  const Rect& monitor = monitors[MonitorOfPoint(monitors, p, NoMonitor::kNearest)];
  menus_.push_back({p, owner, entries, KeptOn(monitor, wanted)});
  menu_open_ = true;
  menu_choice_.reset();
  // The menu's own loop: posted messages, ticks and paints go on.
  while (!menu_choice_ && !quit_posted_) {
    if (!DispatchOne(0)) Idle();
  }
  menu_open_ = false;
  // The choice is posted: it comes after the menu has closed and after the
  // message that opened the menu has been handled.
  if (menu_choice_) {
    for (const MenuEntry& entry : menu_entries_.at(menu)) {
      if (!entry.separator && entry.caption == *menu_choice_) {
        Message m{MessageKind::kCommand};
        m.id = entry.command;
        Post(owner, m);
      }
    }
  }
  menu_choice_.reset();
}

// ----- The message box -----

void SimWindowSystem::MessageBox(WindowHandle owner, const std::string& text,
                                 const std::string& caption, std::uint32_t flags) {
  // A modal dialog: it disables its owner while it runs and enables it
  // again before it is destroyed, so that the activation goes back to the
  // owner (DialogBox, EndDialog). An owner that was disabled already stays
  // so, and the activation then goes to the next window.
  const bool disables_owner = owner != 0 && IsWindowEnabled(owner);
  if (disables_owner) SetEnabled(owner, false);
  Window box;
  box.kind = Kind::kMessageBox;
  box.owner = owner;
  box.caption = caption;
  box.text = text;
  box.visible = true;
  box.topmost = owner != 0 && windows_.at(owner).topmost;
  // Centred on the monitor of its owner, or of the active window when it has
  // none (Wine's MSGBOX_OnInit: MonitorFromWindow, MONITOR_DEFAULTTOPRIMARY).
  const WindowHandle placed_by = owner != 0 ? owner : active_;
  box.normal_placement = CentredOn(MonitorRect(placed_by), 300, 120);
  const WindowHandle h = NewWindow(box);
  message_boxes_.push_back({owner, text, caption, flags, h});
  Activate(h);
  dismiss_message_box_ = false;
  while (!dismiss_message_box_ && !quit_posted_) {
    if (!DispatchOne(0)) Idle();
  }
  dismiss_message_box_ = false;
  if (disables_owner) SetEnabled(owner, true);
  // EndDialog hides the box without activating anything, then hands the
  // activation to the owner, shown or hidden, enabled or not; only an
  // ownerless box lets the system pick the next window (Wine's and
  // ReactOS's EndDialog).
  const bool was_active = active_ == h;
  Window& shown = windows_.at(h);
  shown.visible = false;
  if (focus_ == h) focus_ = 0;
  Uncover(h);
  if (was_active) {
    if (owner != 0) {
      Activate(owner);
    } else {
      ActivateOtherWindow(h);
    }
  }
  windows_.at(h).destroyed = true;
  z_order_.erase(std::find(z_order_.begin(), z_order_.end(), h));
}

}  // namespace vcl
