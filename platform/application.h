// The application object: title, forms, keyboard-focus owner, the message
// loop, the error report and the end of the program.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/display_keeper.h"
#include "platform/focus_owner.h"
#include "platform/form.h"
#include "platform/system_services.h"
#include "platform/types.h"

namespace vcl {

class TApplication {
 public:
  explicit TApplication(const SystemServices& system);
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  const SystemServices& System() const { return system_; }
  WindowSystem& Ws() const { return system_.windows; }
  // Held while the test screen is seen; every window of ours refuses the
  // screen saver then, whichever is in front.
  DisplayKeeper& Display() { return display_keeper_; }

  // The taskbar entry's text and the error box's caption.
  std::string Title() const;
  void SetTitle(const std::string& title) { title_ = title; }

  // Makes a form: `ref` refers to it before its description is applied;
  // the first form made is the main form.
  template <class T>
  void CreateForm(T*& ref) {
    auto form = std::make_unique<T>(*this);
    ref = form.get();
    forms_.push_back(std::move(form));
    InitializeForm(*ref);
  }
  TForm* MainForm() const { return main_form_; }
  // Every form window is of one class, registered for the first form made:
  // its brush is that form's colour, whatever colour later forms have.
  void RegisterFormClass(const FormClassLook& look);
  // The window that bears the program's taskbar entry: the first form's.
  WindowHandle TaskbarWindow() const;

  // Shows the main form as the start-up show request says, then runs the
  // message loop until the quit request.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Handles one message; false when the queue was empty. `dialog`, when
  // given, gets the system's dialog keys, and `dialog_target` (its object)
  // each key pressed in it first.
  bool ProcessMessage(WindowHandle dialog = 0, MessageTarget* dialog_target = nullptr);

  // A window of a form received the keyboard focus.
  void FocusReceived(FocusOwner& owner);
  FocusOwner* FocusedOwner() const { return focused_; }
  void SetFocusedOwner(FocusOwner* owner) { focused_ = owner; }

  // The error report for an exception that escaped a handler.
  void HandleException(const std::exception& error);
  // Runs a handler, reporting whatever escapes it.
  void Guarded(const std::function<void()>& handler);

  // Around a modal box: the thread's other visible, enabled windows disabled
  // (forms and open boxes alike), and the top-most ones
  // taken out of their band (nested: only the outermost puts them back).
  std::vector<WindowHandle> DisableTaskWindows(WindowHandle except);
  void EnableTaskWindows(const std::vector<WindowHandle>& windows);
  void NormalizeTopMosts();
  void RestoreTopMosts();
  // Back to the window that was active before a box: the foreground window
  // again, not only the thread's active one.
  void ActivateAgain(WindowHandle window);

  // Runs at the end, before the process ends: the program's units register
  // what they release.
  void AddFinalizer(std::function<void()> finalizer);
  // The end processing: forms destroyed, units finalised, exit code 0.
  [[noreturn]] void Halt();

 private:
  void InitializeForm(TForm& form);

  const SystemServices system_;
  DisplayKeeper display_keeper_{system_.power};
  std::string title_;
  std::vector<std::unique_ptr<TForm>> forms_;
  TForm* main_form_ = nullptr;
  FocusOwner* focused_ = nullptr;
  bool terminated_ = false;
  bool form_class_registered_ = false;
  int topmost_level_ = 0;
  std::vector<WindowHandle> taken_out_of_band_;
  std::vector<std::function<void()>> finalizers_;
};

// The one application object.
extern TApplication* Application;

}  // namespace vcl
