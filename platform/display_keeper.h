// Keeps the display awake while the test screen shows: a person studies a
// still screen for minutes, longer than a display's power-off timeout.
#pragma once

#include <cstdint>

namespace vcl {

class Power;

class DisplayKeeper {
 public:
  explicit DisplayKeeper(Power& power) : power_(power) {}
  DisplayKeeper(const DisplayKeeper&) = delete;
  DisplayKeeper& operator=(const DisplayKeeper&) = delete;

  // Held while the window is seen: shown and not minimised.
  void Update(bool seen);
  // The screen saver's and the monitor power-off commands, refused while held.
  bool Refuses(std::uint32_t system_command) const;

 private:
  Power& power_;
  bool held_ = false;
};

}  // namespace vcl
