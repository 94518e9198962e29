#include "platform/info_box.h"

#include "platform/application.h"
#include "platform/focus_owner.h"
#include "platform/info_box_layout.h"
#include "platform/window_system.h"

namespace vcl {
namespace {

// Enter, Esc and Ctrl+Break: the keys with which the system presses a
// dialog's default or cancel button.
bool IsDialogKey(VirtualKey key) {
  return key == kVkReturn || key == kVkEscape || key == kVkCancel;
}

class InformationBox : public MessageTarget, public FocusOwner {
 public:
  explicit InformationBox(TApplication& application) : app_(application) {}

  TModalResult Run(const std::string& text) {
    WindowSystem& ws = app_.Ws();
    const WindowHandle active = ws.GetActiveWindow();
    const WindowHandle screen_window =
        app_.MainForm() != nullptr ? app_.MainForm()->Handle() : 0;
    FocusOwner* remembered = app_.FocusedOwner();
    app_.SetFocusedOwner(this);

    InfoBoxContents contents;
    contents.owner = screen_window;
    contents.frame = FrameKind::kFixedDialog;
    contents.title = "Information";
    contents.icon = SystemIcon::kInformation;
    contents.text = text;
    // One OK: the default button, and the cancel button too (kIdCancel).
    contents.button = {"OK", kIdOk, true};

    InfoBoxMeasures measures;
    measures.monitor = ws.MonitorRect(screen_window);
    measures.base_units = BaseUnitsOf(ws.MessageFontExtent());
    measures.text = ws.MeasureText(text, TextWidthLimit(measures.monitor));
    measures.icon_size = ws.IconSize(contents.icon);
    measures.frame = ws.FrameOf(contents.frame);
    contents.geometry = LayOutInfoBox(measures);

    const std::vector<WindowHandle> disabled = app_.DisableTaskWindows(0);
    app_.NormalizeTopMosts();
    handle_ = ws.CreateInfoBoxWindow(contents, this);
    // Shown and activated: the activation puts the focus on OK.
    ws.ShowWindow(handle_, kSwShowNormal);

    while (!closed_) {
      if (app_.ProcessMessage(handle_, this)) {
        // The quit request closes the box; the program then ends as usual.
        if (app_.Terminated()) Finish(TModalResult::mrCancel);
      } else {
        ws.WaitMessage();
      }
    }

    // The remembered form is the focused one again before anything can be
    // activated, so that getting the focus back raises no activation. The
    // windows are enabled just before the box goes, so that the system hands
    // the activation back to them and not to another program.
    // The box is gone before the screen goes back into the top-most band:
    // a hidden window it owns would keep the system from putting it there.
    app_.SetFocusedOwner(remembered);
    app_.EnableTaskWindows(disabled);
    ws.ShowWindow(handle_, kSwHide);
    ws.DestroyWindow(handle_);
    app_.RestoreTopMosts();
    app_.ActivateAgain(active);
    return result_;
  }

  MessageResult HandleMessage(const Message& message) override {
    switch (message.kind) {
      case MessageKind::kCommand:
        // OK is both the default and the cancel button.
        if (message.id == kIdOk || message.id == kIdCancel) {
          Finish(TModalResult::mrOk);
          return MessageResult::Handled();
        }
        return MessageResult::Default();
      case MessageKind::kClose:
        Finish(TModalResult::mrCancel);
        return MessageResult::Handled();
      case MessageKind::kActivate:
        // Whenever the box is activated, OK has the focus again, as a
        // dialog restores its focus; the system would put it on the box.
        if (!message.flag) return MessageResult::Default();
        app_.Ws().FocusButton(handle_, kIdOk);
        return MessageResult::Handled();
      case MessageKind::kSysCommand:
        if (app_.Display().Refuses(message.id)) return MessageResult::Handled(0);
        return MessageResult::Default();
      case MessageKind::kDialogKey:
        // The system's dialog keys ignore Shift and Ctrl; the box takes
        // Enter and Esc only when pressed alone.
        if (IsDialogKey(message.key) && message.shift.Any()) return MessageResult::Handled();
        return MessageResult::Default();
      default:
        return MessageResult::Default();
    }
  }

 private:
  void Finish(TModalResult result) {
    if (closed_) return;
    result_ = result;
    closed_ = true;
  }

  TApplication& app_;
  WindowHandle handle_ = 0;
  bool closed_ = false;
  TModalResult result_ = TModalResult::mrCancel;
};

}  // namespace

TModalResult ShowInformationBox(TApplication& application, const std::string& text) {
  InformationBox box(application);
  return box.Run(text);
}

}  // namespace vcl
