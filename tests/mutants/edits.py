"""Rule-breaking edits to the portable core. Each one must make a host test fail.

One record per edit: the file (from the top of the tree), the exact text to
find (it must occur exactly once in that file), the text that replaces it,
and the rule it breaks, in one line. Triple-quoted strings keep multi-line
texts readable; indentation inside them is part of the text.
"""

from collections import namedtuple

Edit = namedtuple("Edit", "file find replace rule")

EDITS = [
    # --- Colour fill and erase (platform/form.cpp) ---
    Edit("platform/form.cpp",
         """    case MessageKind::kPaint:
      Ws().FillClient(handle_, color_);
      RevealFilled();
      return MessageResult::Handled();""",
         """    case MessageKind::kPaint:
      return MessageResult::Default();""",
         "painting fills the client area with the form's colour"),
    Edit("platform/form.cpp",
         """      Ws().FillClient(handle_, color_);
      return MessageResult::Handled(1);""",
         """      return MessageResult::Default();""",
         "erasing the background fills with the form's colour, not the class brush"),
    Edit("platform/form.cpp",
         """  if (color == color_) return;
  color_ = color;""",
         """  color_ = color;""",
         "assigning an unchanged Color does nothing (no repaint)"),
    Edit("platform/form.cpp",
         """  if (handle_ != 0) Ws().Invalidate(handle_, false);""",
         "",
         "a new colour is painted at once"),

    # --- Timer (platform/timer.cpp) ---
    Edit("platform/timer.cpp",
         """  if (enabled == enabled_) return;
  enabled_ = enabled;""",
         """  enabled_ = enabled;""",
         "assigning an unchanged Enabled does nothing (a running timer is not restarted)"),
    Edit("platform/timer.cpp",
         """    ws_.KillTimer(window_, id_);
    running_ = false;""",
         """    running_ = false;""",
         "stopping the timer kills the system timer"),
    Edit("platform/timer.cpp",
         """      throw EOutOfResources("Not enough timers available");""",
         """      return;""",
         "a refused timer raises \"Not enough timers available\""),
    Edit("platform/timer.cpp",
         """if (running_ && on_timer_) on_timer_(this);""",
         """if (on_timer_) on_timer_(this);""",
         "a tick queued before the timer stopped does not reach OnTimer"),

    # --- Menu opening and choice (platform/form.cpp, platform/menu.cpp) ---
    Edit("platform/menu.cpp",
         """entries.push_back({item->Caption(), item->Command(), item->IsSeparator()});""",
         """entries.push_back({item->Caption(), item->Command(), false});""",
         "a separator is a line in the menu, not an entry that can be chosen"),
    Edit("platform/form.cpp",
         """if (key == kVkApps && !shift.alt) OpenPopupMenu({0, 0});""",
         """if (key == kVkApps) OpenPopupMenu({0, 0});""",
         "Alt+menu key opens nothing"),
    Edit("platform/form.cpp",
         """application_.Guarded([&] { OpenPopupMenu(message.point); });""",
         """application_.Guarded([&] { OpenPopupMenu({0, 0}); });""",
         "the menu opens where the right button was released"),
    Edit("platform/form.cpp",
         """    case MessageKind::kContextMenu:
      // The menu opens from the button and key releases alone.
      return MessageResult::Handled();""",
         """    case MessageKind::kContextMenu:
      application_.Guarded([&] { OpenPopupMenu(message.point); });
      return MessageResult::Handled();""",
         "the system's context-menu message opens nothing (no second menu)"),
    Edit("platform/form.cpp",
         """  const WindowHandle capture = Ws().GetCapture();
  if (capture != 0) Ws().SendCancelMode(capture);
  PopupMenu->Popup""",
         """  PopupMenu->Popup""",
         "opening the menu first cancels a mouse capture"),

    # --- Keys (screen/unit1.cpp) ---
    Edit("screen/unit1.cpp",
         """                       vcl::TShiftState /*Shift*/) {
  if (Key == vcl::kVkEscape) Close();""",
         """                       vcl::TShiftState Shift) {
  if (Key == vcl::kVkEscape && !Shift.shift && !Shift.ctrl && !Shift.alt) Close();""",
         "releasing Esc ends the program whatever modifier is held"),

    # --- Activation (platform/application.cpp FocusReceived) ---
    Edit("platform/application.cpp",
         """  if (focused_ == &owner) return;
  focused_ = &owner;""",
         """  focused_ = &owner;""",
         "the focus coming back to the focused form raises no second activation"),
    Edit("platform/application.cpp",
         """  focused_ = &owner;
  owner.DoActivate();""",
         """  owner.DoActivate();
  focused_ = &owner;""",
         "a form counts as focused before its OnActivate runs"),

    Edit("platform/form.cpp",
         """  if (!Ws().IsWindowVisible(handle_) || !Ws().IsWindowEnabled(handle_)) return;""",
         """  if (!Ws().IsWindowEnabled(handle_)) return;""",
         "a focus the hidden screen gets from the start-up error box shows no welcome box before the screen"),
    Edit("platform/form.cpp",
         """  if (!Ws().IsWindowVisible(handle_) || !Ws().IsWindowEnabled(handle_)) return;""",
         """  if (!Ws().IsWindowVisible(handle_)) return;""",
         "a focus the disabled screen gets under a box raises no second activation"),
    Edit("platform/form.cpp",
         """  if (Ws().GetFocus() == handle_) FocusTaken();
""",
         "",
         "a screen focused while hidden is activated when it shows (the welcome box follows)"),

    # --- Top-most nesting (platform/application.cpp) ---
    Edit("platform/application.cpp",
         """  if (topmost_level_++ != 0) return;""",
         """  ++topmost_level_;""",
         "only the outermost NormalizeTopMosts takes windows out of the top-most band"),
    Edit("platform/application.cpp",
         """  if (topmost_level_ == 0 || --topmost_level_ != 0) return;""",
         """  if (topmost_level_ == 0) return;
  --topmost_level_;""",
         "only the outermost RestoreTopMosts puts them back"),

    # --- Several monitors (platform/info_box.cpp, platform/form.cpp) ---
    Edit("platform/info_box.cpp",
         """    measures.monitor = ws.MonitorRect(screen_window);""",
         """    measures.monitor = ws.MonitorRect(0);""",
         "the box is laid out and centred on the monitor that shows the test screen"),
    Edit("platform/info_box.cpp",
         """    measures.text = ws.MeasureText(text, TextWidthLimit(measures.monitor));""",
         """    measures.text = ws.MeasureText(text, TextWidthLimit(measures.monitor) - 8);""",
         "the box's text wraps at exactly half the screen's width"),
    Edit("platform/form.cpp",
         """  PopupMenu->Popup(Ws().ClientToScreen(handle_, client_point), handle_);""",
         """  PopupMenu->Popup(client_point, handle_);""",
         "the menu opens at the screen point of the release, on the screen's monitor"),

    # --- Error report (platform/error_text.cpp, platform/application.cpp) ---
    Edit("platform/error_text.cpp",
         """static_cast<unsigned char>(message.back()) > '.'""",
         """message.back() != '.'""",
         "a full stop is added only after a character above '.'"),
    Edit("platform/error_text.cpp",
         """static_cast<unsigned char>(message.back()) > '.'""",
         """static_cast<unsigned char>(message.back()) >= '.'""",
         "a message that ends in '.' gets no second full stop"),
    Edit("platform/application.cpp",
         """active != 0 && Ws().IsWindowEnabled(active) ? active : TaskbarWindow();""",
         """active != 0 && Ws().IsWindowEnabled(active) ? active : 0;""",
         "the error box is owned by the window that bears the taskbar entry, hidden or not"),
    Edit("platform/application.cpp",
         """active != 0 && Ws().IsWindowEnabled(active) ? active : TaskbarWindow();""",
         """TaskbarWindow();""",
         "over an active box of ours, the error box is that box's, so the activation returns to it"),
    Edit("platform/application.cpp",
         """std::vector<WindowHandle> disabled = DisableTaskWindows(owner);""",
         """std::vector<WindowHandle> disabled = DisableTaskWindows(0);""",
         "the message box disables its owner itself, so the activation comes back to it"),
    Edit("platform/application.cpp",
         """for (const WindowHandle window : Ws().ThreadWindows()) {""",
         """for (const WindowHandle window : std::vector<WindowHandle>{TaskbarWindow()}) {""",
         "every visible, enabled window of the program is disabled, open boxes included"),
    Edit("platform/application.cpp",
         """  NormalizeTopMosts();
  Ws().MessageBox""",
         """  Ws().MessageBox""",
         "the error box is shown with the screen out of the top-most band"),
    Edit("platform/application.cpp",
         """fsStayOnTop && form->Handle() != 0) {""",
         """fsStayOnTop && form->Handle() != 0 &&
        Ws().IsWindowVisible(form->Handle())) {""",
         "a hidden top-most screen leaves the band too, so the box it owns is not top-most"),
    Edit("platform/application.cpp",
         """  EnableTaskWindows(disabled);
  ActivateAgain(active);
}""",
         """  ActivateAgain(active);
}""",
         "the windows disabled for the error box are enabled again"),

    # --- Command line (platform/command_line.cpp, screen/unit1.cpp) ---
    Edit("platform/command_line.cpp",
         """bool IsBlank(unsigned char c) { return c >= 1 && c <= 32; }""",
         """bool IsBlank(unsigned char c) { return c == ' ' || c == '\\t'; }""",
         "every control character separates words"),
    Edit("platform/command_line.cpp",
         """      pos += 2;
      continue;""",
         """      pos += 2;
      break;""",
         "any number of lone quote pairs before a word are skipped"),
    Edit("platform/command_line.cpp",
         """      if (pos < end && line[pos] == '"') ++pos;
""",
         "",
         "the closing quote ends the quoted part of a word"),
    Edit("platform/command_line.cpp",
         """  for (int i = 0; i <= n; ++i) {""",
         """  for (int i = 0; i < n; ++i) {""",
         "ParamStr(n) is the word n places after the program's name"),
    Edit("platform/command_line.cpp",
         """  auto take = [&](char c) { word += c; };""",
         """  auto take = [&](char c) {
    if (word.size() < 255) word += c;
  };""",
         "words are kept whole, however long"),
    Edit("screen/unit1.cpp",
         """vcl::ParamStr(command_line, 1) == "no_welcome\"""",
         """vcl::ParamStr(command_line, vcl::ParamCount(command_line)) == "no_welcome\"""",
         "only the first argument can be no_welcome"),

    # --- Registry (registry/reg.cpp, screen/unit1.cpp) ---
    Edit("registry/reg.cpp",
         """  RegKey place = 0;
  if (registry.RegCreateKeyEx(key, "", vcl::kRegOptionNonVolatile, vcl::kKeyAllAccess,
                              &place) != vcl::kErrorSuccess) {
    throw vcl::Exception("Failed to create key ");
  }
  if (place != 0) registry.RegCloseKey(place);
""",
         "",
         "the key is created twice, the second time through the first key"),
    Edit("registry/reg.cpp",
         """                              vcl::kKeyAllAccess, &key) != vcl::kErrorSuccess ||""",
         """                              0x20006 /* KEY_WRITE */, &key) != vcl::kErrorSuccess ||""",
         "the key is asked for with full access"),
    Edit("registry/reg.cpp",
         """  data.push_back(0);
  data.push_back(0);""",
         """  data.push_back(0);""",
         "the data ends in two zero bytes"),
    Edit("registry/reg.cpp",
         """  if (place != 0) registry.RegCloseKey(place);""",
         """  (void)place;""",
         "every key handle opened is closed"),
    Edit("registry/reg.cpp",
         """  ~KeyCloser() {
    if (key_ != 0) registry_.RegCloseKey(key_);
  }""",
         """  ~KeyCloser() = default;""",
         "the created key and the opened key are closed however the write ends"),
    Edit("registry/reg.cpp",
         """throw vcl::Exception("Failed to set data for '" + ValueName + "'");""",
         """throw vcl::Exception("Failed to set data for " + ValueName);""",
         "the message quotes the value's name"),
    Edit("registry/reg.cpp",
         """throw vcl::Exception("Failed to create key " + KeyPath);""",
         """throw vcl::Exception("Failed to create key");""",
         "the message names the key"),
    Edit("registry/reg.cpp",
         """  if (registry.RegCreateKeyEx(vcl::kHKeyCurrentUser, KeyPath, vcl::kRegOptionNonVolatile,""",
         """  if (registry.RegCreateKeyEx(vcl::kHKeyCurrentUser, KeyPath, 1 /* REG_OPTION_VOLATILE */,""",
         "the key outlives the session"),
    Edit("registry/reg.cpp",
         """  if (registry.RegCreateKeyEx(key, "", vcl::kRegOptionNonVolatile, vcl::kKeyAllAccess,""",
         """  if (registry.RegCreateKeyEx(key, "", 1 /* REG_OPTION_VOLATILE */, vcl::kKeyAllAccess,""",
         "the value's place is made with the lasting option too"),
    Edit("registry/reg.cpp",
         """  if (registry.RegCreateKeyEx(key, "", vcl::kRegOptionNonVolatile, vcl::kKeyAllAccess,""",
         """  if (registry.RegCreateKeyEx(key, "", vcl::kRegOptionNonVolatile, 0x20006 /* KEY_WRITE */,""",
         "the value's place is made with full access"),
    Edit("registry/reg.cpp",
         """  registry.RegOpenKeyEx(key, "", 0, vcl::kKeyAllAccess, &value_key);""",
         """  registry.RegOpenKeyEx(key, "", 8 /* REG_OPTION_OPEN_LINK */, vcl::kKeyAllAccess,
                        &value_key);""",
         "the value handle is opened with no options"),
    Edit("registry/reg.cpp",
         """  registry.RegOpenKeyEx(key, "", 0, vcl::kKeyAllAccess, &value_key);""",
         """  registry.RegOpenKeyEx(key, "", 0, 0x20006 /* KEY_WRITE */, &value_key);""",
         "the value handle is opened with full access"),
    Edit("screen/unit1.cpp",
         """  WriteRegString(Application().System().registry, kKeyPath, "prisoten", "ja");
  WriteRegString(Application().System().registry, kKeyPath, "verzija", VersionText);""",
         """  WriteRegString(Application().System().registry, kKeyPath, "verzija", VersionText);
  WriteRegString(Application().System().registry, kKeyPath, "prisoten", "ja");""",
         "the presence value is written before the version"),

    # --- The window's look and the taskbar (platform/form.cpp) ---
    Edit("platform/form.cpp",
         """  look.minimize_box = look.taskbar_entry;""",
         """  look.minimize_box = false;""",
         "the shell can minimise the test screen from its taskbar entry"),
    Edit("platform/form.cpp",
         """      Ws().FillClient(handle_, color_);
      return MessageResult::Handled(1);""",
         """      Ws().FillClient(handle_, clBlack);
      return MessageResult::Handled(1);""",
         "erasing fills with the colour of the moment"),
    Edit("platform/form.cpp",
         """    case MessageKind::kRightButtonDown:
      // Only the release opens the menu.
      return MessageResult::Default();""",
         """    case MessageKind::kRightButtonDown:
      application_.Guarded([&] { OpenPopupMenu(message.point); });
      return MessageResult::Handled();""",
         "pressing the right button opens nothing"),

    # --- End of the program and of the session (platform/form.cpp) ---
    Edit("platform/form.cpp",
         """    case MessageKind::kClose:
      Close();
      return MessageResult::Handled();""",
         """    case MessageKind::kClose:
      return MessageResult::Default();""",
         "closing the window ends the program through Close"),
    Edit("platform/form.cpp",
         """if (application_.MainForm() == this) application_.Terminate();""",
         """if (application_.MainForm() == this) application_.Halt();""",
         "Close asks the message loop to end; it does not end the process on the spot"),
    Edit("platform/form.cpp",
         """    case MessageKind::kQueryEndSession:
      return MessageResult::Handled(1);""",
         """    case MessageKind::kQueryEndSession:
      return MessageResult::Handled(0);""",
         "the program never refuses the end of the session"),
    Edit("platform/form.cpp",
         """      if (message.flag) application_.Halt();""",
         """      application_.Halt();""",
         "a cancelled end of session leaves the program running"),

    # --- Colours and handlers (screen/unit1.h, unit1.cpp, form1_description.cpp) ---
    Edit("screen/form1_description.cpp",
         """  Timer1->SetInterval(500);
""",
         "",
         "Timer1 ticks every 500 ms"),
    Edit("screen/unit1.h",
         """kGrayColor = 0xC0C0C0;""",
         """kGrayColor = 0x808080;""",
         "Gray is 0xC0C0C0"),
    Edit("screen/unit1.h",
         """kGreenColor = 0x808040;""",
         """kGreenColor = 0x408080;""",
         "Green is 0x808040 (blue byte high)"),
    Edit("screen/unit1.cpp",
         """  Form1->SetColor(kWhiteColor);
  Timer1->SetEnabled(true);""",
         """  Timer1->SetEnabled(true);
  Form1->SetColor(kWhiteColor);""",
         "the animation turns white before the timer starts (white stays if the timer is refused)"),
    Edit("screen/unit1.cpp",
         """  Form1->SetColor(Form1->Color() == kWhiteColor ? kGreenColor : kWhiteColor);""",
         """  static bool green = false;
  green = !green;
  Form1->SetColor(green ? kGreenColor : kWhiteColor);""",
         "each tick flips from the colour on screen, not from a phase of its own"),
    Edit("screen/unit1.cpp",
         """void TForm1::GrayClick(vcl::TObject* /*Sender*/) {
  Timer1->SetEnabled(false);""",
         """void TForm1::GrayClick(vcl::TObject* /*Sender*/) {""",
         "choosing a colour stops the animation"),

    # --- Dialog keys (platform/application.cpp) ---
    Edit("platform/application.cpp",
         """      if (dialog_target->HandleMessage(key).handled) return true;""",
         """      dialog_target->HandleMessage(key);""",
         "a key the dialog's object handles goes no further, to the system's dialog keys"),

    # --- Information box (platform/info_box.cpp) ---
    Edit("platform/info_box.cpp",
         """if (message.id == kIdOk || message.id == kIdCancel) {""",
         """if (message.id == kIdOk) {""",
         "the box's cancel command (Esc) closes it like OK"),
    Edit("platform/info_box.cpp",
         """        if (!message.flag) return MessageResult::Default();
        app_.Ws().FocusButton(handle_, kIdOk);
        return MessageResult::Handled();""",
         """        return MessageResult::Default();""",
         "OK has the focus whenever the box is activated"),
    Edit("platform/info_box.cpp",
         """if (IsDialogKey(message.key) && message.shift.Any())""",
         """if (IsDialogKey(message.key) && message.shift.alt)""",
         "Enter and Esc with Shift or Ctrl do nothing to the box"),
    Edit("platform/info_box.cpp",
         """  return key == kVkReturn || key == kVkEscape || key == kVkCancel;""",
         """  return key == kVkReturn || key == kVkEscape;""",
         "Ctrl+Break does nothing to the box"),
    Edit("platform/info_box.cpp",
         """    const std::vector<WindowHandle> disabled = app_.DisableTaskWindows(0);
""",
         """    const std::vector<WindowHandle> disabled;
""",
         "the screen takes no input while a box is open"),
    Edit("platform/info_box.cpp",
         """    app_.SetFocusedOwner(remembered);
    app_.EnableTaskWindows(disabled);
    ws.ShowWindow(handle_, kSwHide);""",
         """    app_.EnableTaskWindows(disabled);
    ws.ShowWindow(handle_, kSwHide);
    app_.SetFocusedOwner(remembered);""",
         "the remembered form is focused again before the box goes"),
    Edit("platform/info_box.cpp",
         """    ws.DestroyWindow(handle_);
    app_.RestoreTopMosts();""",
         """    app_.RestoreTopMosts();
    ws.DestroyWindow(handle_);""",
         "the box is gone before the screen goes back into the top-most band"),
    # --- The compositor, the display's sleep, a change of the screen ---
    Edit("platform/form.cpp",
         """  cloaked_ = Ws().SetCloaked(handle_, true);""",
         """  cloaked_ = false;""",
         "the screen is hidden from the compositor until its first fill"),
    Edit("platform/form.cpp",
         """  Ws().FlushDrawing();
  Ws().SetCloaked(handle_, false);""",
         """  Ws().SetCloaked(handle_, false);""",
         "the first fill is on the surface before the screen is uncloaked"),
    Edit("platform/form.cpp",
         """      RevealFilled();
""",
         "",
         "the screen is uncloaked after its first fill"),
    Edit("platform/display_keeper.cpp",
         """  held_ = seen;
  // ES_CONTINUOUS alone""",
         """  held_ = seen = true;
  // ES_CONTINUOUS alone""",
         "the display is held only while the screen is seen"),
    Edit("platform/form.cpp",
         """      KeepDisplay(Seen());
""",
         "",
         "minimising the screen lets the display sleep, restoring holds it again"),
    Edit("platform/form.cpp",
         """  if (handle_ != 0) Ws().DestroyWindow(handle_);
  KeepDisplay(false);""",
         """  if (handle_ != 0) Ws().DestroyWindow(handle_);""",
         "nothing is held after the end"),
    Edit("platform/display_keeper.cpp",
         """  return held_ && (system_command""",
         """  return (system_command""",
         "the screen saver and the monitor's power-off are left to the system while minimised"),
    Edit("platform/display_keeper.cpp",
         """system_command == kScScreenSave || system_command == kScMonitorPower""",
         """system_command == kScScreenSave""",
         "the monitor's power-off is refused while the screen is seen"),
    Edit("platform/info_box.cpp",
         """        if (app_.Display().Refuses(message.id)) return MessageResult::Handled(0);
""",
         "",
         "a box in front of the screen refuses the screen saver too"),
    Edit("platform/form.cpp",
         """      FitScreen();
""",
         "",
         "a maximised screen covers the screen again after a change of its size"),
    Edit("platform/form.cpp",
         """  if (!Seen() || window_state_ != TWindowState::wsMaximized) return;""",
         """  if (!Seen()) return;""",
         "the normal placement stays where it is through a change of the screen"),
]
