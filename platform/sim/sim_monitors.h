// Which monitor a window or a point is on, as MonitorFromRect,
// MonitorFromWindow and MonitorFromPoint decide it: the monitor that a
// rectangle overlaps most, or the one that holds a point; failing that, the
// nearest one or the primary, as the caller asks.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/types.h"

namespace vcl {

// monitors[0] is the primary.
enum class NoMonitor { kPrimary, kNearest };

std::size_t MonitorOfRect(const std::vector<Rect>& monitors, const Rect& rect,
                          NoMonitor fallback);
std::size_t MonitorOfPoint(const std::vector<Rect>& monitors, Point point, NoMonitor fallback);

// `rect` moved, not resized, so that it lies wholly on `monitor` where it fits.
Rect KeptOn(const Rect& monitor, Rect rect);

// A rectangle of `width` x `height` centred on `area`, by integer division.
Rect CentredOn(const Rect& area, int width, int height);

}  // namespace vcl
