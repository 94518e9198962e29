// A periodic timer bound to the message loop of the program's one thread.
#pragma once

#include <cstdint>

#include "platform/component.h"
#include "platform/types.h"

namespace vcl {

class TForm;
class WindowSystem;

class TTimer : public TComponent {
 public:
  // Ticks arrive as messages of the owner's window, which routes them to
  // Tick().
  TTimer(std::string name, WindowSystem& ws, const TForm& owner);
  ~TTimer() override;
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t interval);
  void SetOnTimer(TNotifyEvent on_timer);

  std::uint32_t Id() const { return id_; }
  // A due tick: runs OnTimer with the timer as the sender.
  void Tick();

 private:
  // Cancels the system timer, then starts a new one when it should run.
  void UpdateTimer();

  WindowSystem& ws_;
  const TForm& owner_;
  WindowHandle window_ = 0;  // the window the running system timer is on
  std::uint32_t id_;
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TNotifyEvent on_timer_;
  bool running_ = false;
};

}  // namespace vcl
