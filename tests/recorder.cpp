#include "recorder.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace testing_support {
namespace {

long long Number(long long n) { return n; }
WindowArg W(vcl::WindowHandle h) { return WindowArg{h}; }
std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string("(null)"); }

std::string ArgText(const Arg& arg) {
  struct Printer {
    std::string operator()(const AnyArg&) const { return "*"; }
    std::string operator()(bool b) const { return b ? "true" : "false"; }
    std::string operator()(long long n) const { return std::to_string(n); }
    std::string operator()(const std::string& s) const { return "\"" + s + "\""; }
    std::string operator()(const WindowArg& w) const {
      std::ostringstream out;
      out << "window 0x" << std::hex << w.handle;
      return out.str();
    }
  };
  return std::visit(Printer{}, arg);
}

std::string Joined(const std::string& name, const std::vector<Arg>& args) {
  std::string text = name + "(";
  for (std::size_t i = 0; i < args.size(); ++i) text += (i ? ", " : "") + ArgText(args[i]);
  return text + ")";
}

}  // namespace

bool Matches(const Call& call, const Expected& expected) {
  if (call.name != expected.name) return false;
  if (!expected.check_args) return true;
  if (call.args.size() != expected.args.size()) return false;
  for (std::size_t i = 0; i < call.args.size(); ++i) {
    if (std::holds_alternative<AnyArg>(expected.args[i])) continue;
    if (!(call.args[i] == expected.args[i])) return false;
  }
  return true;
}

std::string Describe(const Call& call) { return Joined(call.name, call.args); }

std::string Describe(const Expected& expected) {
  return expected.check_args ? Joined(expected.name, expected.args) : expected.name + "(...)";
}

// ----- The wrappers: each call recorded, then passed on -----

// Queries and the message pump pass unrecorded: the record is what the
// program does to the system, not what it asks.
class Recorder::Windows final : public vcl::WindowSystem {
 public:
  Windows(Recorder& r, vcl::WindowSystem& inner) : r_(r), in_(inner) {}

  void RegisterFormClass(const vcl::FormClassLook& look) override {
    Done(r_.Begin("RegisterFormClass", {Number(look.background)}), [&] { in_.RegisterFormClass(look); });
  }
  vcl::WindowHandle CreateFormWindow(const vcl::FormWindowParams& p,
                                     vcl::MessageTarget* target) override {
    return Done(r_.Begin("CreateFormWindow", {p.caption}),
                [&] { return in_.CreateFormWindow(p, target); });
  }
  vcl::WindowHandle CreateInfoBoxWindow(const vcl::InfoBoxContents& c,
                                        vcl::MessageTarget* target) override {
    return Done(r_.Begin("CreateInfoBoxWindow", {W(c.owner), c.title}),
                [&] { return in_.CreateInfoBoxWindow(c, target); });
  }
  void DestroyWindow(vcl::WindowHandle w) override {
    Done(r_.Begin("DestroyWindow", {W(w)}), [&] { in_.DestroyWindow(w); });
  }
  std::vector<vcl::WindowHandle> ThreadWindows() override {
    return in_.ThreadWindows();
  }
  void ShowWindow(vcl::WindowHandle w, int show) override {
    Done(r_.Begin("ShowWindow", {W(w), Number(show)}), [&] { in_.ShowWindow(w, show); });
  }
  void SetTopmost(vcl::WindowHandle w, bool topmost) override {
    Done(r_.Begin("SetTopmost", {W(w), topmost}), [&] { in_.SetTopmost(w, topmost); });
  }
  bool IsWindowVisible(vcl::WindowHandle w) override {
    return in_.IsWindowVisible(w);
  }
  bool IsWindowEnabled(vcl::WindowHandle w) override {
    return in_.IsWindowEnabled(w);
  }
  void EnableWindow(vcl::WindowHandle w, bool enable) override {
    Done(r_.Begin("EnableWindow", {W(w), enable}), [&] { in_.EnableWindow(w, enable); });
  }
  vcl::WindowHandle GetActiveWindow() override {
    return in_.GetActiveWindow();
  }
  void SetActiveWindow(vcl::WindowHandle w) override {
    Done(r_.Begin("SetActiveWindow", {W(w)}), [&] { in_.SetActiveWindow(w); });
  }
  void SetForegroundWindow(vcl::WindowHandle w) override {
    Done(r_.Begin("SetForegroundWindow", {W(w)}), [&] { in_.SetForegroundWindow(w); });
  }
  vcl::WindowHandle GetFocus() override {
    return in_.GetFocus();
  }
  void FocusButton(vcl::WindowHandle box, std::uint32_t id) override {
    Done(r_.Begin("FocusButton", {W(box), Number(id)}), [&] { in_.FocusButton(box, id); });
  }
  void Invalidate(vcl::WindowHandle w, bool erase) override {
    Done(r_.Begin("Invalidate", {W(w), erase}), [&] { in_.Invalidate(w, erase); });
  }
  void FillClient(vcl::WindowHandle w, vcl::TColor color) override {
    Done(r_.Begin("FillClient", {W(w), Number(color)}), [&] { in_.FillClient(w, color); });
  }
  vcl::Point ClientToScreen(vcl::WindowHandle w, vcl::Point p) override {
    return in_.ClientToScreen(w, p);
  }
  vcl::Rect MonitorRect(vcl::WindowHandle w) override {
    return in_.MonitorRect(w);
  }
  vcl::WindowHandle GetCapture() override {
    return in_.GetCapture();
  }
  void SendCancelMode(vcl::WindowHandle w) override {
    Done(r_.Begin("SendCancelMode", {W(w)}), [&] { in_.SendCancelMode(w); });
  }
  void MoveWindow(vcl::WindowHandle w, const vcl::Rect& r) override {
    Done(r_.Begin("MoveWindow", {W(w), Number(r.left), Number(r.top), Number(r.right),
                                 Number(r.bottom)}),
         [&] { in_.MoveWindow(w, r); });
  }
  vcl::Rect MonitorRectOf(const vcl::Rect& r) override { return in_.MonitorRectOf(r); }
  bool SetCloaked(vcl::WindowHandle w, bool cloaked) override {
    return Done(r_.Begin("SetCloaked", {W(w), cloaked}), [&] { return in_.SetCloaked(w, cloaked); });
  }
  void FlushDrawing() override {
    Done(r_.Begin("FlushDrawing", {}), [&] { in_.FlushDrawing(); });
  }
  vcl::FontExtent MessageFontExtent() override {
    return in_.MessageFontExtent();
  }
  vcl::Size MeasureText(const std::string& text, int max_width) override {
    return in_.MeasureText(text, max_width);
  }
  int IconSize(vcl::SystemIcon icon) override {
    return in_.IconSize(icon);
  }
  vcl::FrameInsets FrameOf(vcl::FrameKind frame) override {
    return in_.FrameOf(frame);
  }
  vcl::MenuHandle CreatePopupMenu(const std::vector<vcl::MenuEntry>& entries) override {
    return Done(r_.Begin("CreatePopupMenu", {Number(static_cast<long long>(entries.size()))}),
                [&] { return in_.CreatePopupMenu(entries); });
  }
  void DestroyMenu(vcl::MenuHandle menu) override {
    Done(r_.Begin("DestroyMenu", {}), [&] { in_.DestroyMenu(menu); });
  }
  void TrackPopupMenu(vcl::MenuHandle menu, vcl::Point p, vcl::WindowHandle owner) override {
    Done(r_.Begin("TrackPopupMenu", {Number(p.x), Number(p.y), W(owner)}),
         [&] { in_.TrackPopupMenu(menu, p, owner); });
  }
  bool SetTimer(vcl::WindowHandle w, std::uint32_t id, std::uint32_t interval) override {
    return Done(r_.Begin("SetTimer", {W(w), Number(id), Number(interval)}),
                [&] { return in_.SetTimer(w, id, interval); });
  }
  void KillTimer(vcl::WindowHandle w, std::uint32_t id) override {
    Done(r_.Begin("KillTimer", {W(w), Number(id)}), [&] { in_.KillTimer(w, id); });
  }
  vcl::PeekResult PeekMessage(vcl::PeekedMessage* message) override {
    return in_.PeekMessage(message);
  }
  bool IsDialogMessage(vcl::WindowHandle dialog) override {
    return in_.IsDialogMessage(dialog);
  }
  void DispatchMessage() override {
    in_.DispatchMessage();
  }
  void WaitMessage() override {
    in_.WaitMessage();
  }
  void PostQuitMessage(int code) override {
    Done(r_.Begin("PostQuitMessage", {Number(code)}), [&] { in_.PostQuitMessage(code); });
  }
  void MessageBox(vcl::WindowHandle owner, const std::string& text, const std::string& caption,
                  std::uint32_t flags) override {
    Done(r_.Begin("MessageBox", {W(owner), text, caption, Number(flags)}),
         [&] { in_.MessageBox(owner, text, caption, flags); });
  }

 private:
  // Passes the call on and marks where it returned, also when it throws
  // (the end of the process is a throw in the simulation).
  template <class F>
  auto Done(std::size_t index, F&& call) -> decltype(call()) {
    struct Mark {
      Recorder& r;
      std::size_t index;
      ~Mark() { r.End(index); }
    } mark{r_, index};
    return call();
  }

  Recorder& r_;
  vcl::WindowSystem& in_;
};

class Recorder::Reg final : public vcl::Registry {
 public:
  Reg(Recorder& r, vcl::Registry& inner) : r_(r), in_(inner) {}
  vcl::RegResult RegCreateKeyEx(vcl::RegKey key, const std::string& sub_key,
                                std::uint32_t options, std::uint32_t access,
                                vcl::RegKey* result) override {
    r_.End(r_.Begin("RegCreateKeyEx", {Number(static_cast<long long>(key)), sub_key,
                                       Number(options), Number(access)}));
    return in_.RegCreateKeyEx(key, sub_key, options, access, result);
  }
  vcl::RegResult RegOpenKeyEx(vcl::RegKey key, const std::string& sub_key,
                              std::uint32_t options, std::uint32_t access,
                              vcl::RegKey* result) override {
    r_.End(r_.Begin("RegOpenKeyEx", {Number(static_cast<long long>(key)), sub_key,
                                     Number(options), Number(access)}));
    return in_.RegOpenKeyEx(key, sub_key, options, access, result);
  }
  vcl::RegResult RegSetValueEx(vcl::RegKey key, const std::string& value_name,
                               std::uint32_t type, const std::vector<std::uint8_t>& data) override {
    r_.End(r_.Begin("RegSetValueEx", {Number(static_cast<long long>(key)), value_name,
                                      Number(type), std::string(data.begin(), data.end())}));
    return in_.RegSetValueEx(key, value_name, type, data);
  }
  vcl::RegResult RegCloseKey(vcl::RegKey key) override {
    r_.End(r_.Begin("RegCloseKey", {Number(static_cast<long long>(key))}));
    return in_.RegCloseKey(key);
  }

 private:
  Recorder& r_;
  vcl::Registry& in_;
};

class Recorder::Proc final : public vcl::Process {
 public:
  Proc(Recorder& r, vcl::Process& inner) : r_(r), in_(inner) {}
  std::string CommandLine() override { return in_.CommandLine(); }
  std::optional<int> StartupShowCommand() override { return in_.StartupShowCommand(); }
  [[noreturn]] void ExitProcess(int code) override {
    r_.End(r_.Begin("ExitProcess", {Number(code)}));
    in_.ExitProcess(code);
    std::abort();  // not reached: the call through the interface is not seen as final
  }

 private:
  Recorder& r_;
  vcl::Process& in_;
};

class Recorder::Sh final : public vcl::Shell {
 public:
  Sh(Recorder& r, vcl::Shell& inner) : r_(r), in_(inner) {}
  void ShellExecute(vcl::WindowHandle owner, const char* operation, const char* file,
                    const char* parameters, const char* directory, int show) override {
    r_.End(r_.Begin("ShellExecute", {W(owner), Text(operation), Text(file), Text(parameters),
                                     Text(directory), Number(show)}));
    in_.ShellExecute(owner, operation, file, parameters, directory, show);
  }

 private:
  Recorder& r_;
  vcl::Shell& in_;
};

class Recorder::Pw final : public vcl::Power {
 public:
  Pw(Recorder& r, vcl::Power& inner) : r_(r), in_(inner) {}
  void SetThreadExecutionState(std::uint32_t flags) override {
    r_.End(r_.Begin("SetThreadExecutionState", {Number(flags)}));
    in_.SetThreadExecutionState(flags);
  }

 private:
  Recorder& r_;
  vcl::Power& in_;
};

// ----- The recorder -----

Recorder::Recorder(vcl::WindowSystem& windows, vcl::Registry& registry, vcl::Process& process,
                   vcl::Shell& shell, vcl::Power& power)
    : windows_(new Windows(*this, windows)),
      registry_(new Reg(*this, registry)),
      process_(new Proc(*this, process)),
      shell_(new Sh(*this, shell)),
      power_(new Pw(*this, power)) {}

Recorder::~Recorder() {
  delete windows_;
  delete registry_;
  delete process_;
  delete shell_;
  delete power_;
}

vcl::SystemServices Recorder::Services() {
  return {*windows_, *registry_, *process_, *shell_, *power_};
}

std::size_t Recorder::Begin(const char* name, std::vector<Arg> args) {
  calls_.push_back({name, std::move(args), 0});
  return calls_.size() - 1;
}

int Recorder::Count(const Expected& expected) const {
  return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                        [&](const Call& c) { return Matches(c, expected); }));
}

std::size_t Recorder::Position(const Expected& expected) const {
  return static_cast<std::size_t>(
      std::find_if(calls_.begin(), calls_.end(),
                   [&](const Call& c) { return Matches(c, expected); }) -
      calls_.begin());
}

std::vector<Call> Named(const std::vector<Call>& calls, const std::vector<std::string>& names) {
  std::vector<Call> named;
  for (const Call& call : calls) {
    if (std::find(names.begin(), names.end(), call.name) != names.end()) named.push_back(call);
  }
  return named;
}

std::vector<Call> Slice(const std::vector<Call>& calls, std::size_t from, std::size_t to) {
  from = std::min(from, calls.size());
  to = std::min(std::max(from, to), calls.size());
  return std::vector<Call>(calls.begin() + from, calls.begin() + to);
}

::testing::AssertionResult SameCalls(const std::vector<Call>& seen,
                                     const std::vector<Expected>& expected) {
  bool same = seen.size() == expected.size();
  std::ostringstream steps;
  const std::size_t n = std::max(seen.size(), expected.size());
  for (std::size_t i = 0; i < n; ++i) {
    const bool has_seen = i < seen.size();
    const bool has_expected = i < expected.size();
    const bool match = has_seen && has_expected && Matches(seen[i], expected[i]);
    same = same && match;
    steps << (match ? "   " : "!! ") << "step " << i << ": expected "
          << (has_expected ? Describe(expected[i]) : std::string("nothing")) << ", seen "
          << (has_seen ? Describe(seen[i]) : std::string("nothing")) << "\n";
  }
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the calls differ:\n" << steps.str();
}

}  // namespace testing_support
