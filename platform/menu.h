// The pop-up menu and its entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/component.h"
#include "platform/types.h"

namespace vcl {

class WindowSystem;

class TMenuItem : public TComponent {
 public:
  TMenuItem(std::string name, std::string caption, TNotifyEvent on_click);
  const std::string& Caption() const { return caption_; }
  // An entry whose caption is exactly "-" is a separator line.
  bool IsSeparator() const { return caption_ == "-"; }
  std::uint32_t Command() const { return command_; }
  void SetCommand(std::uint32_t command) { command_ = command; }
  // Runs OnClick with the entry as the sender.
  void Click();

  TNotifyEvent OnClick;

 private:
  std::string caption_;
  std::uint32_t command_ = 0;
};

enum class TPopupAlignment { paLeft };

class TPopupMenu : public TComponent {
 public:
  TPopupMenu(std::string name, WindowSystem& ws);
  ~TPopupMenu() override;
  TPopupMenu(const TPopupMenu&) = delete;
  TPopupMenu& operator=(const TPopupMenu&) = delete;

  bool AutoPopup = true;
  TPopupAlignment Alignment = TPopupAlignment::paLeft;

  // Entries are added while the form description is applied.
  void Add(TMenuItem* item);
  const std::vector<TMenuItem*>& Items() const { return items_; }
  TMenuItem* FindByCommand(std::uint32_t command) const;

  // Opens the menu with its top-left corner at the screen point; the choice
  // comes back to `owner` as a command once the menu has closed.
  void Popup(Point screen_point, WindowHandle owner);

 private:
  WindowSystem& ws_;
  std::vector<TMenuItem*> items_;
  MenuHandle handle_ = 0;
};

}  // namespace vcl
