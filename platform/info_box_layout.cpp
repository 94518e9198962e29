#include "platform/info_box_layout.h"

#include <algorithm>

namespace vcl {
namespace {

// Dialog units: a quarter of the average character width across, an eighth
// of the character height down.
int Across(int units, const DialogBaseUnits& font) {
  return (units * font.average_char_width + 2) / 4;
}
int Down(int units, const DialogBaseUnits& font) {
  return (units * font.char_height + 4) / 8;
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const FontExtent& font) {
  return {(font.alphabet_width / 26 + 1) / 2, font.height};
}

int TextWidthLimit(const Rect& monitor) { return monitor.Width() / 2; }

InfoBoxGeometry LayOutInfoBox(const InfoBoxMeasures& m) {
  const int margin_x = Across(8, m.base_units);
  const int margin_y = Down(8, m.base_units);
  const int gap_x = Across(10, m.base_units);
  const int gap_y = Down(10, m.base_units);
  const int button_width = Across(50, m.base_units);
  const int button_height = Down(14, m.base_units);

  const int content_width = std::max(m.icon_size + gap_x + m.text.cx, button_width);
  const int content_height = std::max(m.icon_size, m.text.cy);
  const int client_width = margin_x + content_width + margin_x;
  const int client_height = margin_y + content_height + gap_y + button_height + margin_y;

  InfoBoxGeometry g;
  g.icon = {margin_x, margin_y, margin_x + m.icon_size, margin_y + m.icon_size};
  const int text_left = margin_x + m.icon_size + gap_x;
  g.text = {text_left, margin_y, text_left + m.text.cx, margin_y + m.text.cy};
  const int button_left = (client_width - button_width) / 2;
  const int button_top = margin_y + content_height + gap_y;
  g.button = {button_left, button_top, button_left + button_width,
              button_top + button_height};

  const int width = m.frame.left + client_width + m.frame.right;
  const int height = m.frame.top + client_height + m.frame.bottom;
  const int left = m.monitor.left + (m.monitor.Width() - width) / 2;
  const int top = m.monitor.top + (m.monitor.Height() - height) / 2;
  g.window = {left, top, left + width, top + height};
  return g;
}

}  // namespace vcl
