#include "platform/menu.h"

#include "platform/window_system.h"

namespace vcl {

TMenuItem::TMenuItem(std::string name, std::string caption,
                     TNotifyEvent on_click)
    : TComponent(std::move(name)),
      OnClick(std::move(on_click)),
      caption_(std::move(caption)) {}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

TPopupMenu::TPopupMenu(std::string name, WindowSystem& ws)
    : TComponent(std::move(name)), ws_(ws) {}

TPopupMenu::~TPopupMenu() {
  if (handle_ != 0) ws_.DestroyMenu(handle_);
}

void TPopupMenu::Add(TMenuItem* item) {
  // Command numbers start at 100, clear of the dialog buttons' numbers.
  item->SetCommand(100 + static_cast<std::uint32_t>(items_.size()));
  items_.push_back(item);
}

TMenuItem* TPopupMenu::FindByCommand(std::uint32_t command) const {
  for (TMenuItem* item : items_) {
    if (item->Command() == command && !item->IsSeparator()) return item;
  }
  return nullptr;
}

void TPopupMenu::Popup(Point screen_point, WindowHandle owner) {
  // The system menu is built on first use and kept: the entries never change.
  if (handle_ == 0) {
    std::vector<MenuEntry> entries;
    for (const TMenuItem* item : items_) {
      entries.push_back({item->Caption(), item->Command(), item->IsSeparator()});
    }
    handle_ = ws_.CreatePopupMenu(entries);
  }
  ws_.TrackPopupMenu(handle_, screen_point, owner);
}

}  // namespace vcl
