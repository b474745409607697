#include "ui/graphs/gamut_fill.h"

#include <algorithm>
#include <cmath>

namespace graphs {

namespace {

QPoint midpoint(QPoint a, QPoint b) {
    // Truncated, as integer division does.
    return QPoint((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
}

// One sub-triangle prepared for filling: every product below is of small integers, so it is
// exact in double and the per-pixel weights are those of the plain barycentric formula.
struct Prepared {
    double ax, ay;
    double v0x, v0y, v1x, v1y;
    double d00, d01, d11, denom;
    int c[3][3];  // corner, channel

    explicit Prepared(const SubTriangle& t) {
        ax = t.corner[0].x();
        ay = t.corner[0].y();
        v0x = t.corner[1].x() - ax;
        v0y = t.corner[1].y() - ay;
        v1x = t.corner[2].x() - ax;
        v1y = t.corner[2].y() - ay;
        d00 = v0x * v0x + v0y * v0y;
        d01 = v0x * v1x + v0y * v1y;
        d11 = v1x * v1x + v1y * v1y;
        denom = d00 * d11 - d01 * d01;
        for (int k = 0; k < 3; ++k) {
            c[k][0] = qRed(t.color[k]);
            c[k][1] = qGreen(t.color[k]);
            c[k][2] = qBlue(t.color[k]);
        }
    }

    // The colour of pixel (px, py), or false when it lies outside.
    bool shade(double px, double py, QRgb& out) const {
        const double v2x = px - ax;
        const double v2y = py - ay;
        const double d20 = v2x * v0x + v2y * v0y;
        const double d21 = v2x * v1x + v2y * v1y;
        const double u = (d11 * d20 - d01 * d21) / denom;
        const double v = (d00 * d21 - d01 * d20) / denom;
        if (u < 0.0 || v < 0.0 || u + v > 1.0) return false;
        const double w = 1.0 - u - v;
        int rgb[3];
        for (int ch = 0; ch < 3; ++ch) {
            rgb[ch] = static_cast<int>(w * c[0][ch] + u * c[1][ch] + v * c[2][ch]);
        }
        out = qRgb(rgb[0], rgb[1], rgb[2]);
        return true;
    }
};

// Narrows [lo, hi] to the x where a*x + c >= 0.
void keep_nonnegative(double a, double c, double& lo, double& hi) {
    if (a > 0) {
        lo = std::max(lo, -c / a);
    } else if (a < 0) {
        hi = std::min(hi, -c / a);
    } else if (c < 0) {
        lo = 1;
        hi = 0;
    }
}

}  // namespace

std::array<SubTriangle, 6> gamut_sub_triangles(QPoint red, QPoint green, QPoint blue,
                                               QPoint white) {
    const std::array<QPoint, 6> hexagon = {red,  midpoint(red, green), green, midpoint(green, blue),
                                           blue, midpoint(blue, red)};
    const std::array<QRgb, 6> colors = {qRgb(255, 0, 0),   qRgb(255, 255, 0), qRgb(0, 255, 0),
                                        qRgb(0, 255, 255), qRgb(0, 0, 255),   qRgb(255, 0, 255)};
    std::array<SubTriangle, 6> result;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t next = (i + 1) % 6;
        result[i].corner = {white, hexagon[i], hexagon[next]};
        result[i].color = {qRgb(255, 255, 255), colors[i], colors[next]};
    }
    return result;
}

FilledTriangle fill_gamut_triangle(QPoint red, QPoint green, QPoint blue, QPoint white,
                                   const QRect& clip) {
    const int left = std::min({red.x(), green.x(), blue.x(), white.x()});
    const int right = std::max({red.x(), green.x(), blue.x(), white.x()});
    const int top = std::min({red.y(), green.y(), blue.y(), white.y()});
    const int bottom = std::max({red.y(), green.y(), blue.y(), white.y()});
    QRect box(QPoint(left, top), QPoint(right, bottom));
    if (clip.isValid()) box = box.intersected(clip);

    FilledTriangle result;
    result.origin = box.topLeft();
    if (box.isEmpty()) return result;
    result.image = QImage(box.size(), QImage::Format_ARGB32_Premultiplied);
    result.image.fill(Qt::transparent);

    // Each sub-triangle is visited only over the rows and spans its edges allow; the exact
    // per-pixel test then decides, so the result is that of testing every pixel of the box.
    for (const SubTriangle& t : gamut_sub_triangles(red, green, blue, white)) {
        const Prepared p(t);
        if (p.denom <= 0) continue;
        const int tx0 =
            std::max(box.left(), std::min({t.corner[0].x(), t.corner[1].x(), t.corner[2].x()}));
        const int tx1 =
            std::min(box.right(), std::max({t.corner[0].x(), t.corner[1].x(), t.corner[2].x()}));
        const int ty0 =
            std::max(box.top(), std::min({t.corner[0].y(), t.corner[1].y(), t.corner[2].y()}));
        const int ty1 =
            std::min(box.bottom(), std::max({t.corner[0].y(), t.corner[1].y(), t.corner[2].y()}));
        // Within 4096 pixels every product of the weights' numerators is an exact integer.
        const double reach = std::max({std::abs(p.v0x), std::abs(p.v0y), std::abs(p.v1x),
                                       std::abs(p.v1y), std::abs(tx0 - p.ax), std::abs(tx1 - p.ax),
                                       std::abs(ty0 - p.ay), std::abs(ty1 - p.ay)});
        const bool exact = reach <= 4096;
        double k[3][3];
        for (int corner = 0; corner < 3; ++corner) {
            for (int ch = 0; ch < 3; ++ch)
                k[corner][ch] = p.c[corner][ch];
        }
        // u * denom = a1 * px + c1(py), v * denom = a2 * px + c2(py).
        const double a1 = p.d11 * p.v0x - p.d01 * p.v1x;
        const double a2 = p.d00 * p.v1x - p.d01 * p.v0x;
        for (int py = ty0; py <= ty1; ++py) {
            const double dy = py - p.ay;
            const double c1 = (p.d11 * p.v0y - p.d01 * p.v1y) * dy - a1 * p.ax;
            const double c2 = (p.d00 * p.v1y - p.d01 * p.v0y) * dy - a2 * p.ax;
            double lo = tx0;
            double hi = tx1;
            keep_nonnegative(a1, c1, lo, hi);
            keep_nonnegative(a2, c2, lo, hi);
            keep_nonnegative(-(a1 + a2), p.denom - c1 - c2, lo, hi);
            if (lo > hi + 2) continue;
            const int x0 = std::max(tx0, static_cast<int>(std::floor(lo)) - 1);
            const int x1 = std::min(tx1, static_cast<int>(std::ceil(hi)) + 1);
            auto* line = reinterpret_cast<QRgb*>(result.image.scanLine(py - box.top()));
            if (!exact) {
                for (int px = x0; px <= x1; ++px) {
                    QRgb color;
                    if (p.shade(px, py, color)) line[px - box.left()] = color;
                }
                continue;
            }
            // The numerators of u and v step by a1 and a2 per pixel; all integers below 2^53,
            // so they equal the per-pixel products and so do the weights divided from them.
            const double v2x = x0 - p.ax;
            const double d20 = v2x * p.v0x + dy * p.v0y;
            const double d21 = v2x * p.v1x + dy * p.v1y;
            double n1 = p.d11 * d20 - p.d01 * d21;
            double n2 = p.d00 * d21 - p.d01 * d20;
            QRgb* out = line + (x0 - box.left());
            for (int px = x0; px <= x1; ++px, n1 += a1, n2 += a2, ++out) {
                const double u = n1 / p.denom;
                const double v = n2 / p.denom;
                if (u < 0.0 || v < 0.0 || u + v > 1.0) continue;
                const double w = 1.0 - u - v;
                *out = qRgb(static_cast<int>(w * k[0][0] + u * k[1][0] + v * k[2][0]),
                            static_cast<int>(w * k[0][1] + u * k[1][1] + v * k[2][1]),
                            static_cast<int>(w * k[0][2] + u * k[1][2] + v * k[2][2]));
            }
        }
    }
    return result;
}

}  // namespace graphs
