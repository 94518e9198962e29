// The window system under the portable core: windows, painting, menus,
// timers, boxes and the message loop. A back end translates these calls; it
// decides nothing of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/message.h"
#include "platform/types.h"

namespace vcl {

// How a window looks and what the shell may do with it. The core decides;
// a back end only translates it into the system's styles.
enum class FrameKind {
  kNone,         // no border, no title bar, no system menu, no buttons
  kFixedDialog,  // a dialog frame: a title bar with a close button only
};
enum class PointerShape { kArrow };
enum class SystemIcon { kInformation };

struct WindowLook {
  FrameKind frame = FrameKind::kNone;
  bool taskbar_entry = false;  // the window bears the program's taskbar entry
  bool minimize_box = false;   // the shell may minimise it; drawn only with a frame
};

// What every form window shares: the system keeps it with the window class.
struct FormClassLook {
  PointerShape pointer = PointerShape::kArrow;
  TColor background = clBlack;  // what the system erases with when a form does not
};

struct FormWindowParams {
  std::string caption;
  Rect normal_placement;  // the window's rectangle when not maximised
  WindowLook look;
};

struct MenuEntry {
  std::string caption;
  std::uint32_t command = 0;
  bool separator = false;
};

// The message font's extent as the system measures it: the width of the 52
// letters "A".."Z", "a".."z" side by side, and the character height.
struct FontExtent {
  int alphabet_width = 0;
  int height = 0;
};

// The font's dialog base units: the average character width and height.
struct DialogBaseUnits {
  int average_char_width = 0;
  int char_height = 0;
};

// Where the information box and its controls go; client coordinates for the
// controls, screen coordinates for the window (frame included).
struct InfoBoxGeometry {
  Rect window;
  Rect icon;
  Rect text;
  Rect button;
};

// Frame thickness around a window's client area.
struct FrameInsets {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct DialogButton {
  std::string caption;
  std::uint32_t id = 0;
  bool is_default = false;  // the dialog keys' Enter presses it
};

// Everything the information box shows, decided by the core.
struct InfoBoxContents {
  WindowHandle owner = 0;
  FrameKind frame = FrameKind::kFixedDialog;
  std::string title;
  SystemIcon icon = SystemIcon::kInformation;
  std::string text;
  DialogButton button;
  InfoBoxGeometry geometry;
};

constexpr std::uint32_t kIdOk = 1;
constexpr std::uint32_t kIdCancel = 2;

enum class PeekResult { kMessage, kQuit, kEmpty };

// What the core learns of a message taken off the queue.
struct PeekedMessage {
  WindowHandle top_level = 0;  // the top-level window it is for, if any
  bool key_press = false;      // a key went down (a system key too)
  VirtualKey key = 0;
  TShiftState shift;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Windows. The form class is registered once, before the first form window.
  virtual void RegisterFormClass(const FormClassLook& look) = 0;
  virtual WindowHandle CreateFormWindow(const FormWindowParams& params,
                                        MessageTarget* target) = 0;
  virtual WindowHandle CreateInfoBoxWindow(const InfoBoxContents& contents,
                                           MessageTarget* target) = 0;
  virtual void DestroyWindow(WindowHandle window) = 0;
  // The thread's top-level windows, top first, hidden ones included.
  virtual std::vector<WindowHandle> ThreadWindows() = 0;
  virtual void ShowWindow(WindowHandle window, int show_command) = 0;
  virtual void SetTopmost(WindowHandle window, bool topmost) = 0;
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  virtual bool IsWindowEnabled(WindowHandle window) = 0;
  virtual void EnableWindow(WindowHandle window, bool enable) = 0;
  // The thread's active window; none while another program is active.
  virtual WindowHandle GetActiveWindow() = 0;
  virtual void SetActiveWindow(WindowHandle window) = 0;
  // Brings the window's thread to the foreground and activates the window,
  // when the system lets the thread take the foreground.
  virtual void SetForegroundWindow(WindowHandle window) = 0;
  // The thread's window with the keyboard focus; none when it has none.
  virtual WindowHandle GetFocus() = 0;
  virtual void FocusButton(WindowHandle box, std::uint32_t id) = 0;
  virtual void Invalidate(WindowHandle window, bool erase) = 0;
  // Fills the client area; valid while a paint or erase message is handled.
  virtual void FillClient(WindowHandle window, TColor color) = 0;
  virtual Point ClientToScreen(WindowHandle window, Point point) = 0;
  virtual Rect MonitorRect(WindowHandle window) = 0;
  virtual WindowHandle GetCapture() = 0;
  virtual void SendCancelMode(WindowHandle window) = 0;
  // Moves a window without activating it or changing its place in the order.
  virtual void MoveWindow(WindowHandle window, const Rect& rect) = 0;
  // The monitor that a rectangle lies on most, or the nearest one.
  virtual Rect MonitorRectOf(const Rect& rect) = 0;

  // The compositor: a cloaked window is not shown though it is visible.
  // False where there is no compositor or it refuses.
  virtual bool SetCloaked(WindowHandle window, bool cloaked) = 0;
  // Carries out the drawing that earlier fills left in the thread's batch.
  virtual void FlushDrawing() = 0;

  // Information box measures, in the system's message-box font.
  virtual FontExtent MessageFontExtent() = 0;
  // The text as the box's text control lays it out in the message font.
  virtual Size MeasureText(const std::string& text, int max_width) = 0;
  virtual int IconSize(SystemIcon icon) = 0;
  virtual FrameInsets FrameOf(FrameKind frame) = 0;

  // Menus. TrackPopupMenu is modal; a choice arrives later as kCommand.
  virtual MenuHandle CreatePopupMenu(const std::vector<MenuEntry>& entries) = 0;
  virtual void DestroyMenu(MenuHandle menu) = 0;
  virtual void TrackPopupMenu(MenuHandle menu, Point screen_point,
                              WindowHandle owner) = 0;

  // Timers: a periodic tick of `id` for `window`; false when refused.
  virtual bool SetTimer(WindowHandle window, std::uint32_t id,
                        std::uint32_t interval_ms) = 0;
  virtual void KillTimer(WindowHandle window, std::uint32_t id) = 0;

  // Message loop. PeekMessage takes the next message off the queue and holds
  // it; IsDialogMessage lets the system's dialog manager handle it for
  // `dialog` (Enter, Esc, Tab, and every message of the dialog's), true when
  // it did; DispatchMessage hands it to its window.
  virtual PeekResult PeekMessage(PeekedMessage* message) = 0;
  virtual bool IsDialogMessage(WindowHandle dialog) = 0;
  virtual void DispatchMessage() = 0;
  virtual void WaitMessage() = 0;
  virtual void PostQuitMessage(int code) = 0;

  // The error box: the system's message box, modal to `owner`, which it
  // disables while it runs.
  virtual void MessageBox(WindowHandle owner, const std::string& text,
                          const std::string& caption, std::uint32_t flags) = 0;
};

constexpr std::uint32_t kMbOk = 0x0;
constexpr std::uint32_t kMbIconStop = 0x10;

}  // namespace vcl
