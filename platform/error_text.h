#pragma once

#include <string>

namespace vcl {

// The text of the error box: the message, with "." added when its last
// character (as an unsigned byte) lies above ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace vcl
