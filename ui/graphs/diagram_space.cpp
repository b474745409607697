#include "ui/graphs/diagram_space.h"

namespace graphs {

QPointF xy_to_uv(const QPointF& xy) {
    const double d = -2.0 * xy.x() + 12.0 * xy.y() + 3.0;
    if (d == 0.0) return {0.0, 0.0};
    return {4.0 * xy.x() / d, 9.0 * xy.y() / d};
}

QPointF uv_to_xy(const QPointF& uv) {
    const double d = 6.0 * uv.x() - 16.0 * uv.y() + 12.0;
    if (d == 0.0) return {0.0, 0.0};
    return {9.0 * uv.x() / d, 4.0 * uv.y() / d};
}

}  // namespace graphs
