// Text measures in a fixed-width model of the message font.
#include "platform/sim/sim_window_system.h"

#include <algorithm>

namespace vcl {

Size SimWindowSystem::MeasureText(const std::string& text, int max_width) {
  text_widths_.push_back(max_width);
  const int char_width = 6;
  const int line_height = 13;
  const int max_chars = std::max(1, max_width / char_width);
  int widest = 0;
  int lines = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find('\r', start), text.size());
    // Expand tabs, then wrap the paragraph at spaces.
    std::string para;
    for (std::size_t i = start; i < end; ++i) {
      if (text[i] == '\t') {
        do para += ' '; while (para.size() % 8 != 0);
      } else {
        para += text[i];
      }
    }
    std::size_t pos = 0;
    do {
      std::size_t take = para.size() - pos;
      if (static_cast<int>(take) > max_chars) {
        const std::size_t space = para.rfind(' ', pos + max_chars);
        if (space != std::string::npos && space > pos) {
          take = space - pos;
        } else {  // one word wider than the limit widens the text
          const std::size_t next = para.find(' ', pos);
          take = (next == std::string::npos ? para.size() : next) - pos;
        }
      }
      widest = std::max(widest, static_cast<int>(take) * char_width);
      ++lines;
      pos += take;
      while (pos < para.size() && para[pos] == ' ') ++pos;
    } while (pos < para.size());
    if (end >= text.size()) break;
    start = end + 1;
  }
  return {widest, lines * line_height};
}

}  // namespace vcl
