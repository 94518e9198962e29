// The program's arguments, split from the raw command line afresh at each
// call, as the classic Windows runtime does it.
#pragma once

#include <string>

namespace vcl {

// The number of words after the program's own name.
int ParamCount(const std::string& command_line);
// The word n places after the program's name; empty when there is none.
std::string ParamStr(const std::string& command_line, int n);

}  // namespace vcl
