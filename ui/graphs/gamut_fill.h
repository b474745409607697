#pragma once

// The colour-filled gamut triangle: six sub-triangles around the white point, each pixel the
// barycentric mix of its sub-triangle's corner colours.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <array>

namespace graphs {

struct FilledTriangle {
    QImage image;   // transparent outside the triangle
    QPoint origin;  // widget pixel of the image's top-left corner
};

// Corners in whole widget pixels. The image covers the bounding box of the four points, cut to
// `clip` when that is valid (the pixels left out are the ones nobody would see).
FilledTriangle fill_gamut_triangle(QPoint red, QPoint green, QPoint blue, QPoint white,
                                   const QRect& clip = QRect());

// The six sub-triangles as (white, hexagon corner i, hexagon corner i + 1) with their colours;
// the hexagon runs red, red-green midpoint, green, green-blue midpoint, blue, blue-red midpoint.
struct SubTriangle {
    std::array<QPoint, 3> corner;
    std::array<QRgb, 3> color;
};
std::array<SubTriangle, 6> gamut_sub_triangles(QPoint red, QPoint green, QPoint blue, QPoint white);

}  // namespace graphs
