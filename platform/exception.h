// Failures travel as exceptions carrying the message the user is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace vcl {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// The system refused a resource, such as a timer.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace vcl
