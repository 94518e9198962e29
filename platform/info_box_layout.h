// Where the information box's icon, text and button go, from the font's
// measures: margins scale with the font's average character size.
#pragma once

#include "platform/window_system.h"

namespace vcl {

struct InfoBoxMeasures {
  DialogBaseUnits base_units;
  Size text;            // the text laid out within TextWidthLimit()
  int icon_size = 32;
  FrameInsets frame;    // the box's frame around its client area
  Rect monitor;         // the monitor that shows the test screen
};

// Dialog base units from the font's extent: the average width of the
// letters, rounded, and the character height.
DialogBaseUnits BaseUnitsOf(const FontExtent& font);

// Half the screen's width, integer division.
int TextWidthLimit(const Rect& monitor);

InfoBoxGeometry LayOutInfoBox(const InfoBoxMeasures& measures);

}  // namespace vcl
