#include "platform/form.h"

#include <utility>

#include "platform/application.h"
#include "platform/menu.h"
#include "platform/timer.h"
#include "platform/window_system.h"

namespace vcl {

TForm::TForm(TApplication& application, std::string name)
    : TComponent(std::move(name)), application_(application) {}

TForm::~TForm() {
  // Components first: the timer is stopped while its window still exists.
  components_.clear();
  if (handle_ != 0) Ws().DestroyWindow(handle_);
  KeepDisplay(false);
}

WindowSystem& TForm::Ws() const { return application_.Ws(); }

void TForm::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  // No erase: the paint fills the whole client itself, once per change.
  if (handle_ != 0) Ws().Invalidate(handle_, false);
}

namespace {

// The show command that puts a window into `state`. Minimising a shown window
// activates the next one; the first showing of a minimised window takes
// nothing from anybody.
int ShowCommandFor(TWindowState state, bool first_showing) {
  switch (state) {
    case TWindowState::wsMinimized:
      return first_showing ? kSwShowMinNoActive : kSwMinimize;
    case TWindowState::wsMaximized:
      return kSwShowMaximized;
    case TWindowState::wsNormal:
      break;
  }
  return kSwShowNormal;
}

}  // namespace

void TForm::SetWindowState(TWindowState state) {
  if (state == window_state_) return;
  window_state_ = state;
  if (handle_ != 0 && Ws().IsWindowVisible(handle_)) {
    Ws().ShowWindow(handle_, ShowCommandFor(state, false));
  }
}

void TForm::CreateHandle() {
  FormWindowParams params;
  params.caption = Caption;
  params.normal_placement = NormalPlacement();
  params.look = Look();
  application_.RegisterFormClass(ClassLook());
  handle_ = Ws().CreateFormWindow(params, this);
  if (FormStyle == TFormStyle::fsStayOnTop) Ws().SetTopmost(handle_, true);
}

Rect TForm::NormalPlacement() const {
  return {Left, Top, Left + ClientWidth, Top + ClientHeight};
}

bool TForm::Seen() const {
  return Ws().IsWindowVisible(handle_) && window_state_ != TWindowState::wsMinimized;
}

void TForm::KeepDisplay(bool seen) {
  if (application_.MainForm() == this) application_.Display().Update(seen);
}

WindowLook TForm::Look() const {
  WindowLook look;
  switch (BorderStyle) {
    case TBorderStyle::bsNone:  // no frame, title bar, system menu or buttons
      look.frame = FrameKind::kNone;
      break;
  }
  // The first form bears the program's taskbar entry. The shell minimises a
  // window from its entry only when it has the minimise style, which draws
  // nothing on a window without a frame.
  look.taskbar_entry = application_.MainForm() == nullptr;
  look.minimize_box = look.taskbar_entry;
  return look;
}

FormClassLook TForm::ClassLook() const {
  FormClassLook look;
  switch (Cursor) {
    case TCursor::crArrow:
      look.pointer = PointerShape::kArrow;
      break;
  }
  // The system's own erase, before the first paint, in the first colour:
  // nothing else can flash.
  look.background = color_;
  return look;
}

void TForm::DoCreate() {
  if (OnCreate) application_.Guarded([this] { OnCreate(this); });
}

void TForm::Show() {
  // The compositor shows a new window white until it is painted, and the
  // first paint waits for the welcome box: hidden from it until then.
  cloaked_ = Ws().SetCloaked(handle_, true);
  // Held from the showing on: the welcome box's loop runs inside it.
  KeepDisplay(window_state_ != TWindowState::wsMinimized);
  Ws().ShowWindow(handle_, ShowCommandFor(window_state_, true));
  // Shown minimised it has no focus, whatever it held while hidden: the
  // first focus comes when the user restores it.
  if (window_state_ == TWindowState::wsMinimized) return;
  // Already active and focused while hidden: no new focus message comes.
  if (Ws().GetFocus() == handle_) FocusTaken();
}

void TForm::FocusTaken() {
  if (!Ws().IsWindowVisible(handle_) || !Ws().IsWindowEnabled(handle_)) return;
  application_.Guarded([this] { application_.FocusReceived(*this); });
}

void TForm::RevealFilled() {
  // A minimised window is not painted: after a minimised start this is the
  // paint that follows the first restore.
  if (!cloaked_) return;
  // The fill may still wait in the thread's drawing batch.
  Ws().FlushDrawing();
  Ws().SetCloaked(handle_, false);
  cloaked_ = false;
}

void TForm::FitScreen() {
  // The system leaves a maximised window at the old size; the normal
  // placement says which screen is its own.
  if (!Seen() || window_state_ != TWindowState::wsMaximized) return;
  Ws().MoveWindow(handle_, Ws().MonitorRectOf(NormalPlacement()));
}

void TForm::Close() {
  // No handler may refuse the close; closing the main form ends the program.
  if (application_.MainForm() == this) application_.Terminate();
}

void TForm::DoActivate() {
  if (OnActivate) OnActivate(this);
}

void TForm::OpenPopupMenu(Point client_point) {
  if (PopupMenu == nullptr || !PopupMenu->AutoPopup) return;
  const WindowHandle capture = Ws().GetCapture();
  if (capture != 0) Ws().SendCancelMode(capture);
  PopupMenu->Popup(Ws().ClientToScreen(handle_, client_point), handle_);
}

void TForm::KeyUp(VirtualKey key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
  // A handler that clears the key ends the handling of its release.
  if (key == kVkApps && !shift.alt) OpenPopupMenu({0, 0});
}

TTimer* TForm::FindTimer(std::uint32_t id) const {
  for (const auto& component : components_) {
    auto* timer = dynamic_cast<TTimer*>(component.get());
    if (timer != nullptr && timer->Id() == id) return timer;
  }
  return nullptr;
}

MessageResult TForm::HandleMessage(const Message& message) {
  switch (message.kind) {
    case MessageKind::kPaint:
      Ws().FillClient(handle_, color_);
      RevealFilled();
      return MessageResult::Handled();
    case MessageKind::kEraseBackground:
      Ws().FillClient(handle_, color_);
      return MessageResult::Handled(1);
    case MessageKind::kRightButtonUp:
      application_.Guarded([&] { OpenPopupMenu(message.point); });
      return MessageResult::Handled();
    case MessageKind::kRightButtonDown:
      // Only the release opens the menu.
      return MessageResult::Default();
    case MessageKind::kContextMenu:
      // The menu opens from the button and key releases alone.
      return MessageResult::Handled();
    case MessageKind::kKeyUp:
      application_.Guarded([&] { KeyUp(message.key, message.shift); });
      return MessageResult::Default();
    case MessageKind::kCommand:
      if (PopupMenu != nullptr) {
        if (TMenuItem* item = PopupMenu->FindByCommand(message.id)) {
          application_.Guarded([item] { item->Click(); });
          return MessageResult::Handled();
        }
      }
      return MessageResult::Default();
    case MessageKind::kTimer:
      if (TTimer* timer = FindTimer(message.id)) {
        application_.Guarded([timer] { timer->Tick(); });
        return MessageResult::Handled();
      }
      return MessageResult::Default();
    case MessageKind::kClose:
      Close();
      return MessageResult::Handled();
    case MessageKind::kQueryEndSession:
      return MessageResult::Handled(1);
    case MessageKind::kEndSession:
      if (message.flag) application_.Halt();
      return MessageResult::Handled();
    case MessageKind::kActivate:
    case MessageKind::kDialogKey:
      return MessageResult::Default();
    case MessageKind::kSetFocus:
      // The system can hand the focus to the window while it is hidden (a
      // box it owns closing during the start-up) or disabled (under a box):
      // the form is activated only by a focus it can use. Show() counts one
      // it got while hidden.
      FocusTaken();
      return MessageResult::Handled();
    case MessageKind::kSize:
      // Followed only while shown, so that the state recorded at creation
      // and for a minimised start stays until the window really changes.
      if (Ws().IsWindowVisible(handle_)) window_state_ = message.state;
      KeepDisplay(Seen());
      return MessageResult::Default();
    case MessageKind::kSysCommand:
      if (application_.Display().Refuses(message.id)) return MessageResult::Handled(0);
      return MessageResult::Default();
    case MessageKind::kDisplayChange:
      FitScreen();
      return MessageResult::Default();
  }
  return MessageResult::Default();
}

}  // namespace vcl
