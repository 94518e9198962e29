#include "scripted_sim.h"

#include <algorithm>
#include <stdexcept>

#include "app/vexo.h"
#include "screen/unit1.h"

namespace testing_support {

using vcl::SimExit;
using vcl::TWindowState;
using vcl::WindowHandle;

ScriptedSim::ScriptedSim() : SimWindowSystem(faults) {}

void ScriptedSim::Then(Action action) { script_.push_back(std::move(action)); }

void ScriptedSim::ThenRightClick(vcl::Point p) {
  Then([p](ScriptedSim& s) {
    s.PressRightButton(p);
    s.ReleaseRightButton(p);
  });
}

void ScriptedSim::ThenRightButtonPressOnly(vcl::Point p) {
  Then([p](ScriptedSim& s) { s.PressRightButton(p); });
}

void ScriptedSim::ThenKeyRelease(vcl::VirtualKey key, vcl::TShiftState shift) {
  Then([key, shift](ScriptedSim& s) { s.ReleaseKey(key, shift); });
}

void ScriptedSim::ThenKeyPress(vcl::VirtualKey key, vcl::TShiftState shift) {
  Then([key, shift](ScriptedSim& s) { s.PressKey(key, shift); });
}

void ScriptedSim::ThenChoose(const std::string& caption) {
  Then([caption](ScriptedSim& s) { s.ChooseMenuEntry(caption); });
}

void ScriptedSim::ThenCancelMenu() {
  Then([](ScriptedSim& s) { s.CancelMenu(); });
}

void ScriptedSim::ThenDismissMessageBox() {
  Then([](ScriptedSim& s) { s.DismissMessageBox(); });
}

void ScriptedSim::ThenClickBoxButton() {
  Then([](ScriptedSim& s) {
    if (WindowHandle box = s.OpenBox()) s.ClickButton(s.windows().at(box).button);
  });
}

void ScriptedSim::ThenCloseBox() {
  Then([](ScriptedSim& s) {
    if (WindowHandle box = s.OpenBox()) s.ClickCloseButton(box);
  });
}

void ScriptedSim::ThenAdvance(std::uint32_t ms) {
  Then([ms](ScriptedSim& s) { s.Advance(ms); });
}

void ScriptedSim::ThenBusy(std::uint32_t ms) {
  Then([ms](ScriptedSim& s) { s.Busy(ms); });
}

void ScriptedSim::ThenSwitchAway() {
  Then([](ScriptedSim& s) { s.ActivateOtherProgram(); });
}

void ScriptedSim::ThenSwitchBack() {
  Then([](ScriptedSim& s) { s.ClickWindow(s.FormWindow()); });
}

void ScriptedSim::ThenMinimizeFromTaskbar() {
  Then([](ScriptedSim& s) {
    if (s.Screen().state != TWindowState::wsMinimized) s.ClickTaskbarButton(s.FormWindow());
  });
}

void ScriptedSim::ThenRestoreFromTaskbar() {
  Then([](ScriptedSim& s) {
    if (s.Screen().state == TWindowState::wsMinimized) s.ClickTaskbarButton(s.FormWindow());
  });
}

void ScriptedSim::ThenPost(vcl::MessageKind kind, bool flag) {
  Then([kind, flag](ScriptedSim& s) {
    vcl::Message m{kind};
    m.flag = flag;
    s.PostTo(s.FormWindow(), m);
  });
}

void ScriptedSim::ThenEndSession() {
  Then([](ScriptedSim& s) { s.EndSession(); });
}

void ScriptedSim::ThenPostQuit() {
  Then([](ScriptedSim& s) { s.RequestQuit(); });
}

void ScriptedSim::RunNext() {
  if (script_.empty()) {
    // Nothing more will happen: end the run rather than wait for ever.
    script_ran_out = true;
    if (++idle_after_end_ > 1000) throw std::runtime_error("the program does not end");
    CancelMenu();
    DismissMessageBox();
    RequestQuit();
    return;
  }
  Action action = std::move(script_.front());
  script_.pop_front();
  action(*this);
}

int ScriptedSim::Run() {
  // A fresh program state for each run: the program-wide values start empty.
  Form1 = nullptr;
  HomePage.clear();
  VersionText.clear();
  NoWelcome = false;
  on_idle = [this] { RunNext(); };
  try {
    Vexo(recorder.Services());
  } catch (const SimExit& exit) {
    return exit.code;
  }
}

WindowHandle ScriptedSim::FormWindow() const {
  for (const auto& [handle, w] : windows()) {
    if (w.kind == Kind::kForm) return handle;
  }
  return 0;
}

WindowHandle ScriptedSim::OpenBox() const {
  for (const auto& [handle, w] : windows()) {
    if (w.kind == Kind::kInfoBox && w.visible) return handle;
  }
  return 0;
}

std::vector<std::pair<std::uint32_t, vcl::TColor>> ScriptedSim::ScreenFills() const {
  std::vector<std::pair<std::uint32_t, vcl::TColor>> screen_fills;
  for (const Fill& fill : fills()) {
    if (fill.window == FormWindow()) screen_fills.emplace_back(fill.time, fill.color);
  }
  return screen_fills;
}

namespace {
int CountOn(const ScriptedSim& sim, const char* name, bool boxes) {
  int n = 0;
  for (const Call& call : sim.recorder.calls()) {
    if (call.name != name || call.args.empty()) continue;
    const auto* window = std::get_if<WindowArg>(&call.args[0]);
    if (window == nullptr || sim.windows().count(window->handle) == 0) continue;
    const ScriptedSim::Kind kind = sim.windows().at(window->handle).kind;
    if (kind == (boxes ? ScriptedSim::Kind::kInfoBox : ScriptedSim::Kind::kForm)) ++n;
  }
  return n;
}
}  // namespace

int CountOnScreen(const ScriptedSim& sim, const char* name) { return CountOn(sim, name, false); }
int CountOnBoxes(const ScriptedSim& sim, const char* name) { return CountOn(sim, name, true); }

Expected OnScreen(const ScriptedSim& sim, const char* name, std::initializer_list<Arg> args) {
  std::vector<Arg> all{WindowArg{sim.FormWindow()}};
  all.insert(all.end(), args.begin(), args.end());
  Expected expected(name);
  expected.args = all;
  expected.check_args = true;
  return expected;
}

}  // namespace testing_support
