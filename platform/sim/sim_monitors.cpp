#include "platform/sim/sim_monitors.h"

#include <algorithm>
#include <limits>

namespace vcl {
namespace {

long long Overlap(const Rect& a, const Rect& b) {
  const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance from the point to the rectangle; 0 inside.
long long Distance(const Rect& r, Point p) {
  const long long dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
  const long long dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

std::size_t Nearest(const std::vector<Rect>& monitors, Point p) {
  std::size_t best = 0;
  long long best_distance = std::numeric_limits<long long>::max();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const long long d = Distance(monitors[i], p);
    if (d < best_distance) {
      best = i;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace

std::size_t MonitorOfRect(const std::vector<Rect>& monitors, const Rect& rect,
                          NoMonitor fallback) {
  std::size_t best = 0;
  long long best_overlap = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const long long o = Overlap(monitors[i], rect);
    if (o > best_overlap) {
      best = i;
      best_overlap = o;
    }
  }
  if (best_overlap > 0 || fallback == NoMonitor::kPrimary) return best;
  return Nearest(monitors, {rect.left + rect.Width() / 2, rect.top + rect.Height() / 2});
}

std::size_t MonitorOfPoint(const std::vector<Rect>& monitors, Point point, NoMonitor fallback) {
  const std::size_t nearest = Nearest(monitors, point);
  if (Distance(monitors[nearest], point) == 0 || fallback == NoMonitor::kNearest) return nearest;
  return 0;
}

Rect KeptOn(const Rect& monitor, Rect rect) {
  const int dx = rect.right > monitor.right ? monitor.right - rect.right : 0;
  const int dy = rect.bottom > monitor.bottom ? monitor.bottom - rect.bottom : 0;
  rect = {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
  const int ex = rect.left < monitor.left ? monitor.left - rect.left : 0;
  const int ey = rect.top < monitor.top ? monitor.top - rect.top : 0;
  return {rect.left + ex, rect.top + ey, rect.right + ex, rect.bottom + ey};
}

Rect CentredOn(const Rect& area, int width, int height) {
  const int left = area.left + (area.Width() - width) / 2;
  const int top = area.top + (area.Height() - height) / 2;
  return {left, top, left + width, top + height};
}

}  // namespace vcl
