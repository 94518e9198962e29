// Whatever can hold the program's keyboard focus: a form or an open box.
#pragma once

namespace vcl {

class FocusOwner {
 public:
  // The program's focus came to this owner from another one, or from none.
  virtual void DoActivate() {}

 protected:
  ~FocusOwner() = default;
};

}  // namespace vcl
