// Records every call the core makes on the system, under the interface's
// own names, with its arguments typed, in one sequence over all subsystems.
// A test writes the calls it expects as data; ExpectCalls compares them with
// what was seen, step by step.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "platform/power.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_services.h"
#include "platform/window_system.h"

namespace testing_support {

// In an expected call: matches any argument.
struct AnyArg {
  bool operator==(const AnyArg&) const { return true; }
};
constexpr AnyArg kAny{};

// A window handle, so that it prints and compares as one.
struct WindowArg {
  vcl::WindowHandle handle;
  bool operator==(const WindowArg& other) const { return handle == other.handle; }
};

using Arg = std::variant<AnyArg, bool, long long, std::string, WindowArg>;

struct Call {
  std::string name;
  std::vector<Arg> args;
  // How many calls had been recorded when this one returned: the calls made
  // while a modal one ran come before this mark.
  std::size_t returned_at = 0;
};

// An expected call: the name, and the arguments when they matter (an
// argument given as kAny matches any).
struct Expected {
  Expected(const char* name) : name(name) {}  // NOLINT: a bare name reads best
  Expected(const char* name, std::initializer_list<Arg> args)
      : name(name), args(args), check_args(true) {}
  std::string name;
  std::vector<Arg> args;
  bool check_args = false;
};

bool Matches(const Call& call, const Expected& expected);
std::string Describe(const Call& call);
std::string Describe(const Expected& expected);

class Recorder {
 public:
  Recorder(vcl::WindowSystem& windows, vcl::Registry& registry, vcl::Process& process,
           vcl::Shell& shell, vcl::Power& power);
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // What the core is given: every call goes through the recorder.
  vcl::SystemServices Services();

  const std::vector<Call>& calls() const { return calls_; }
  int Count(const Expected& expected) const;
  // Where the first matching call is; calls().size() when there is none.
  std::size_t Position(const Expected& expected) const;

  // Used by the wrappers.
  std::size_t Begin(const char* name, std::vector<Arg> args);
  void End(std::size_t index) { calls_[index].returned_at = calls_.size(); }

 private:
  class Windows;
  class Reg;
  class Proc;
  class Sh;
  class Pw;

  std::vector<Call> calls_;
  Windows* windows_;
  Reg* registry_;
  Proc* process_;
  Sh* shell_;
  Pw* power_;
};

// The one comparison: `seen` must be `expected`, call for call; a mismatch
// prints both sequences side by side, step by step.
::testing::AssertionResult SameCalls(const std::vector<Call>& seen,
                                     const std::vector<Expected>& expected);
// The calls named one of `names`, in order.
std::vector<Call> Named(const std::vector<Call>& calls, const std::vector<std::string>& names);
// The calls in [from, to).
std::vector<Call> Slice(const std::vector<Call>& calls, std::size_t from, std::size_t to);

}  // namespace testing_support
