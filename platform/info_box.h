// The information box: a modal box of the program's own with an icon, a
// text and one OK button, run by its own message loop.
#pragma once

#include <string>

namespace vcl {

class TApplication;

enum class TModalResult { mrOk, mrCancel };

// Builds the box, runs it until it closes and destroys it.
TModalResult ShowInformationBox(TApplication& application, const std::string& text);

}  // namespace vcl
