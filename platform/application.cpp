#include "platform/application.h"

#include <cstdlib>

#include "platform/error_text.h"
#include "platform/process.h"
#include "platform/window_system.h"

namespace vcl {

TApplication* Application = nullptr;

TApplication::TApplication(const SystemServices& system) : system_(system) {}

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
}

std::string TApplication::Title() const { return title_.substr(0, 255); }

void TApplication::RegisterFormClass(const FormClassLook& look) {
  if (form_class_registered_) return;
  Ws().RegisterFormClass(look);
  form_class_registered_ = true;
}

void TApplication::InitializeForm(TForm& form) {
  form.ApplyDescription();
  form.CreateHandle();
  form.DoCreate();
  if (main_form_ == nullptr) main_form_ = &form;
}

void TApplication::Run() {
  if (main_form_ != nullptr) {
    const std::optional<int> show = system_.process.StartupShowCommand();
    const int request = show.value_or(kSwShowDefault);
    if (request == kSwShowMaximized) {
      main_form_->SetWindowState(TWindowState::wsMaximized);
    } else if (request == kSwShowMinNoActive) {
      // Recorded only: nothing is shown until the user restores the program.
      main_form_->SetWindowState(TWindowState::wsMinimized);
    }
    main_form_->Show();
  }
  while (!terminated_) {
    if (!ProcessMessage()) Ws().WaitMessage();
  }
}

bool TApplication::ProcessMessage(WindowHandle dialog, MessageTarget* dialog_target) {
  PeekedMessage peeked;
  switch (Ws().PeekMessage(&peeked)) {
    case PeekResult::kQuit:
      terminated_ = true;
      return true;
    case PeekResult::kEmpty:
      return false;
    case PeekResult::kMessage:
      break;
  }
  if (dialog != 0) {
    // A key pressed in a dialog goes to the dialog's object before the
    // system's dialog keys; one it handles goes no further.
    if (peeked.key_press && peeked.top_level == dialog && dialog_target != nullptr) {
      Message key{MessageKind::kDialogKey};
      key.key = peeked.key;
      key.shift = peeked.shift;
      if (dialog_target->HandleMessage(key).handled) return true;
    }
    if (Ws().IsDialogMessage(dialog)) return true;
  }
  Ws().DispatchMessage();
  return true;
}

void TApplication::Terminate() { Ws().PostQuitMessage(0); }

void TApplication::FocusReceived(FocusOwner& owner) {
  if (focused_ == &owner) return;
  focused_ = &owner;
  owner.DoActivate();
}

void TApplication::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    HandleException(error);
  }
}

void TApplication::HandleException(const std::exception& error) {
  const WindowHandle capture = Ws().GetCapture();
  if (capture != 0) Ws().SendCancelMode(capture);
  const std::string text = ErrorBoxText(error.what());
  const WindowHandle active = Ws().GetActiveWindow();
  // Owned by the window that bears the taskbar entry, hidden or not (an
  // ownerless box would get an entry of its own, and the start-up show
  // request with it), or by the open box of ours that is active in front of
  // it, so that the error box stays in front of that one.
  const WindowHandle owner =
      active != 0 && Ws().IsWindowEnabled(active) ? active : TaskbarWindow();
  // The message box disables its owner and enables it again before it goes,
  // so that the system hands the activation back to the owner and not to
  // another program. The other windows are ours to disable.
  std::vector<WindowHandle> disabled = DisableTaskWindows(owner);
  NormalizeTopMosts();
  Ws().MessageBox(owner, text, Title(), kMbOk | kMbIconStop);
  RestoreTopMosts();
  EnableTaskWindows(disabled);
  ActivateAgain(active);
}

void TApplication::ActivateAgain(WindowHandle window) {
  if (window == 0) return;
  // While the box ran, another program may have taken the foreground; the
  // program took the last input, so the system lets it take it back.
  Ws().SetForegroundWindow(window);
  Ws().SetActiveWindow(window);
}

WindowHandle TApplication::TaskbarWindow() const {
  return forms_.empty() ? 0 : forms_.front()->Handle();
}

std::vector<WindowHandle> TApplication::DisableTaskWindows(WindowHandle except) {
  std::vector<WindowHandle> disabled;
  for (const WindowHandle window : Ws().ThreadWindows()) {
    if (window == except) continue;
    if (Ws().IsWindowVisible(window) && Ws().IsWindowEnabled(window)) {
      Ws().EnableWindow(window, false);
      disabled.push_back(window);
    }
  }
  return disabled;
}

void TApplication::EnableTaskWindows(const std::vector<WindowHandle>& windows) {
  for (WindowHandle window : windows) Ws().EnableWindow(window, true);
}

void TApplication::NormalizeTopMosts() {
  if (topmost_level_++ != 0) return;
  // Hidden ones too: a box owned by a top-most window is made top-most with
  // it, and the start-up error box is owned by the screen before it shows.
  for (const auto& form : forms_) {
    if (form->FormStyle == TFormStyle::fsStayOnTop && form->Handle() != 0) {
      Ws().SetTopmost(form->Handle(), false);
      taken_out_of_band_.push_back(form->Handle());
    }
  }
}

void TApplication::RestoreTopMosts() {
  if (topmost_level_ == 0 || --topmost_level_ != 0) return;
  // Put back in reverse, so that they keep their order among themselves.
  for (auto it = taken_out_of_band_.rbegin(); it != taken_out_of_band_.rend(); ++it) {
    Ws().SetTopmost(*it, true);
  }
  taken_out_of_band_.clear();
}

void TApplication::AddFinalizer(std::function<void()> finalizer) {
  finalizers_.push_back(std::move(finalizer));
}

void TApplication::Halt() {
  forms_.clear();
  main_form_ = nullptr;
  focused_ = nullptr;
  for (auto it = finalizers_.rbegin(); it != finalizers_.rend(); ++it) (*it)();
  finalizers_.clear();
  system_.process.ExitProcess(0);
  std::abort();  // not reached: the process has ended
}

}  // namespace vcl
