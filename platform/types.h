// Types that cross the line between the portable core and a window-system
// back end. The core never sees a Windows header.
#pragma once

#include <cstdint>

namespace vcl {

// 0x00BBGGRR, compared as a whole 32-bit number.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;

// Opaque handles; zero means none.
using WindowHandle = std::uintptr_t;
using MenuHandle = std::uintptr_t;
using RegKey = std::uintptr_t;

constexpr RegKey kHKeyCurrentUser = 0x80000001u;

// Show commands, with the system's numbers.
enum ShowCommand : int {
  kSwHide = 0,
  kSwShowNormal = 1,
  kSwShowMinimized = 2,
  kSwShowMaximized = 3,
  kSwMinimize = 6,
  kSwShowMinNoActive = 7,
  kSwRestore = 9,
  kSwShowDefault = 10,
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

using VirtualKey = std::uint16_t;
constexpr VirtualKey kVkCancel = 3;  // Ctrl+Break
constexpr VirtualKey kVkReturn = 13;
constexpr VirtualKey kVkEscape = 27;
constexpr VirtualKey kVkSpace = 32;
constexpr VirtualKey kVkApps = 93;

// Modifier keys held at a key event.
struct TShiftState {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool Any() const { return shift || ctrl || alt; }
};

struct Point {
  int x = 0;
  int y = 0;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct Size {
  int cx = 0;
  int cy = 0;
};

// Registry result codes and constants, with the system's numbers.
using RegResult = long;
constexpr RegResult kErrorSuccess = 0;
constexpr std::uint32_t kRegOptionNonVolatile = 0;
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kRegSz = 1;

// System commands (the command without its low four bits) and execution
// state flags, with the system's numbers.
constexpr std::uint32_t kScScreenSave = 0xF140;
constexpr std::uint32_t kScMonitorPower = 0xF170;
constexpr std::uint32_t kEsContinuous = 0x80000000u;
constexpr std::uint32_t kEsDisplayRequired = 0x00000002u;

}  // namespace vcl
