// The form: one top-level window filled with one colour, with the events
// the program's handlers bind to.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/component.h"
#include "platform/focus_owner.h"
#include "platform/message.h"
#include "platform/types.h"

namespace vcl {

class TApplication;
class TPopupMenu;
class TTimer;
class WindowSystem;
struct WindowLook;
struct FormClassLook;

enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TBorderStyle { bsNone };
enum class TCursor { crArrow };

struct TFont {
  std::string Name;
  int Height = 0;
  TColor Color = 0;
  int Charset = 0;
};

class TForm : public TComponent, public MessageTarget, public FocusOwner {
 public:
  TForm(TApplication& application, std::string name);
  ~TForm() override;
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // Properties that the form description sets.
  int Left = 0;
  int Top = 0;
  int ClientWidth = 0;
  int ClientHeight = 0;
  std::string Caption;
  TBorderStyle BorderStyle = TBorderStyle::bsNone;
  TCursor Cursor = TCursor::crArrow;
  TFont Font;
  TFormStyle FormStyle = TFormStyle::fsNormal;
  bool OldCreateOrder = false;
  int PixelsPerInch = 96;
  int TextHeight = 13;
  TPopupMenu* PopupMenu = nullptr;
  TNotifyEvent OnCreate;
  TNotifyEvent OnActivate;
  TKeyEvent OnKeyUp;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TWindowState WindowState() const { return window_state_; }
  void SetWindowState(TWindowState state);

  WindowHandle Handle() const { return handle_; }
  TApplication& Application() const { return application_; }
  WindowSystem& Ws() const;

  // Creation, in the order the application runs it.
  virtual void ApplyDescription() = 0;
  void CreateHandle();
  void DoCreate();

  // Shows the window in its recorded state and activates it.
  void Show();
  // Asks the form to close; closing the main form ends the program.
  void Close();

  // Components the form owns and frees, in creation order.
  template <class T, class... Args>
  T* Own(Args&&... args) {
    auto component = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = component.get();
    components_.push_back(std::move(component));
    return raw;
  }

  MessageResult HandleMessage(const Message& message) override;
  void DoActivate() override;

 private:
  WindowLook Look() const;
  FormClassLook ClassLook() const;
  Rect NormalPlacement() const;
  // Shown and not minimised: what a person sees.
  bool Seen() const;
  // The test screen keeps the display awake while it is seen.
  void KeepDisplay(bool seen);
  // Uncloaks the window once its colour is on the screen.
  void RevealFilled();
  // The screen changed size: a maximised window covers its screen again.
  void FitScreen();
  // The window has the focus: activates the form, when the window can use it.
  void FocusTaken();
  void OpenPopupMenu(Point client_point);
  void KeyUp(VirtualKey key, TShiftState shift);
  TTimer* FindTimer(std::uint32_t id) const;

  TApplication& application_;
  TColor color_ = clBlack;
  TWindowState window_state_ = TWindowState::wsNormal;
  WindowHandle handle_ = 0;
  bool cloaked_ = false;
  std::vector<std::unique_ptr<TComponent>> components_;
};

}  // namespace vcl
