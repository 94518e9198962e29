#include "platform/timer.h"

#include "platform/exception.h"
#include "platform/form.h"
#include "platform/window_system.h"

namespace vcl {
namespace {
std::uint32_t next_timer_id = 1;
}

TTimer::TTimer(std::string name, WindowSystem& ws, const TForm& owner)
    : TComponent(std::move(name)), ws_(ws), owner_(owner), id_(next_timer_id++) {}

TTimer::~TTimer() {
  if (running_) ws_.KillTimer(window_, id_);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent on_timer) {
  on_timer_ = std::move(on_timer);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (running_) {
    ws_.KillTimer(window_, id_);
    running_ = false;
  }
  if (enabled_ && interval_ != 0 && on_timer_) {
    window_ = owner_.Handle();
    if (!ws_.SetTimer(window_, id_, interval_)) {
      throw EOutOfResources("Not enough timers available");
    }
    running_ = true;
  }
}

void TTimer::Tick() {
  // A tick already queued when the timer stopped does not reach OnTimer.
  if (running_ && on_timer_) on_timer_(this);
}

}  // namespace vcl
