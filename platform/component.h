// The base of everything a form owns, and the event types handlers bind to.
#pragma once

#include <functional>
#include <string>

#include "platform/types.h"

namespace vcl {

class TObject {
 public:
  virtual ~TObject() = default;
};

class TComponent : public TObject {
 public:
  explicit TComponent(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TKeyEvent =
    std::function<void(TObject* Sender, VirtualKey& Key, TShiftState Shift)>;

}  // namespace vcl
