// A window message as the core sees it: the back end translates the
// system's messages into these and answers the ones the core leaves alone.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace vcl {

enum class MessageKind {
  kPaint,            // the window asks to be painted
  kEraseBackground,  // the window's background is to be erased
  kRightButtonDown,  // point in client coordinates
  kRightButtonUp,    // point in client coordinates
  kKeyUp,            // key released (plain or with Alt held)
  kContextMenu,      // the system's own context-menu request
  kCommand,          // a menu choice or a control's notification
  kTimer,            // a due tick of the timer with `id`
  kClose,            // a close request
  kQueryEndSession,  // Windows asks whether it may end
  kEndSession,       // Windows is ending when `flag` is set
  kActivate,         // the window was activated (`flag` set) or deactivated
  kSetFocus,         // the window received the keyboard focus
  kDialogKey,        // a key pressed in a dialog, before the system's dialog keys
  kSize,             // the window was minimised, maximised or restored
  kSysCommand,       // a system command `id`, before the system carries it out
  kDisplayChange,    // the screen's size or layout changed
};

struct Message {
  MessageKind kind;
  Point point{};
  VirtualKey key = 0;
  TShiftState shift{};
  std::uint32_t id = 0;
  bool flag = false;
  TWindowState state = TWindowState::wsNormal;
};

// What the core answers: handled with a result, or left to the system.
struct MessageResult {
  bool handled = false;
  std::intptr_t value = 0;
  static MessageResult Default() { return {}; }
  static MessageResult Handled(std::intptr_t v = 0) { return {true, v}; }
};

// A window of the core's: its back-end window routes every message here.
class MessageTarget {
 public:
  virtual MessageResult HandleMessage(const Message& message) = 0;

 protected:
  ~MessageTarget() = default;
};

}  // namespace vcl
