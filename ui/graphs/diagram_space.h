#pragma once

// Chromaticity diagram coordinates: CIE 1931 xy and CIE 1976 u'v'.
#include <QPointF>

namespace graphs {

// u' = 4x / (-2x + 12y + 3), v' = 9y / (-2x + 12y + 3); a zero denominator gives (0, 0).
QPointF xy_to_uv(const QPointF& xy);
// The inverse, x = 9u' / (6u' - 16v' + 12), y = 4v' / (6u' - 16v' + 12); zero gives (0, 0).
QPointF uv_to_xy(const QPointF& uv);

}  // namespace graphs
