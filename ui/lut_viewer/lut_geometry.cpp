#include "ui/lut_viewer/lut_geometry.h"

#include <cmath>

namespace lut_geometry {

namespace {

// Edge corners: an absent channel is kept a little above black so that the edges stay visible
// against the black background; present channels a little below full.
constexpr float kAbsent = 0.1f;
constexpr float kPresent = 0.9f;

Colour corner_colour(const Vec3& corner) {
    return {corner.x > 0 ? kPresent : kAbsent, corner.y > 0 ? kPresent : kAbsent,
            corner.z > 0 ? kPresent : kAbsent};
}

}  // namespace

Points points_from(const EmulationLut::Table& table) {
    Points points;
    for (int i = 0; i < kPointCount; ++i) {
        const EmulationLut::Node& node = table[static_cast<std::size_t>(i)];
        points[static_cast<std::size_t>(i)] = {node[0], node[1], node[2]};
    }
    return points;
}

Points identity_points() {
    return points_from(EmulationLut().table());
}

int normalized_angle(int angle) {
    while (angle < 0)
        angle += kFullTurn;
    while (angle > kFullTurn)
        angle -= kFullTurn;
    return angle;
}

Vec3 node_position(const ThreeD_LUT_Point& point) {
    const auto place = [](int value) {
        return static_cast<float>(value) * (2 * kCubeHalf) / kMaxValue - kCubeHalf;
    };
    return {place(point.red), place(point.green), place(point.blue)};
}

float grid_colour(int index) {
    return static_cast<float>(index) * 0.9f / (kGridSize - 1) + 0.1f;
}

Colour node_colour(int node) {
    const int r = node % kGridSize;
    const int g = (node / kGridSize) % kGridSize;
    const int b = node / (kGridSize * kGridSize);
    return {grid_colour(r), grid_colour(g), grid_colour(b)};
}

const std::array<Face, 6>& unit_cube_faces() {
    // Corners counter-clockwise seen from outside, so that the normal points outwards.
    static const std::array<Face, 6> faces = {{
        {{1, 0, 0}, {{{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}}},
        {{-1, 0, 0}, {{{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}}}},
        {{0, 1, 0}, {{{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}}}},
        {{0, -1, 0}, {{{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}}},
        {{0, 0, 1}, {{{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}}},
        {{0, 0, -1}, {{{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}}}},
    }};
    return faces;
}

std::array<std::array<EdgeEnd, 2>, 12> cube_edges() {
    std::array<std::array<EdgeEnd, 2>, 12> edges;
    std::size_t n = 0;
    // Each edge runs along one axis between two corners that agree on the other two.
    for (int axis = 0; axis < 3; ++axis) {
        for (int a = -1; a <= 1; a += 2) {
            for (int b = -1; b <= 1; b += 2) {
                std::array<EdgeEnd, 2> edge;
                for (int end = 0; end < 2; ++end) {
                    const float along = (end == 0 ? -1.0f : 1.0f) * kCubeHalf;
                    Vec3 p;
                    const float first = static_cast<float>(a) * kCubeHalf;
                    const float second = static_cast<float>(b) * kCubeHalf;
                    if (axis == 0) p = {along, first, second};
                    if (axis == 1) p = {first, along, second};
                    if (axis == 2) p = {first, second, along};
                    edge[static_cast<std::size_t>(end)] = {p, corner_colour(p)};
                }
                edges[n++] = edge;
            }
        }
    }
    return edges;
}

std::vector<Quad> lattice_quads(std::span<const ThreeD_LUT_Point, kPointCount> points) {
    std::vector<Quad> quads;
    quads.reserve(static_cast<std::size_t>(kPointCount) * 6);
    for (int node = 0; node < kPointCount; ++node) {
        const Vec3 centre = node_position(points[static_cast<std::size_t>(node)]);
        const Colour colour = node_colour(node);
        for (const Face& face : unit_cube_faces()) {
            Quad quad{colour, face.normal, {}};
            for (std::size_t c = 0; c < 4; ++c) {
                quad.corners[c] = {centre.x + face.corners[c].x * kNodeScale,
                                   centre.y + face.corners[c].y * kNodeScale,
                                   centre.z + face.corners[c].z * kNodeScale};
            }
            quads.push_back(quad);
        }
    }
    return quads;
}

}  // namespace lut_geometry
