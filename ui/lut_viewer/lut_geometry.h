#pragma once

#include <array>
#include <span>
#include <vector>

#include "profiles/emulation_lut.h"

// One node of the 3D LUT as the viewer shows it: the output for one grid input, 0..1020 per
// channel. The 729 nodes run red fastest, then green, then blue.
struct ThreeD_LUT_Point {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const ThreeD_LUT_Point&) const = default;
};

// What the viewer draws, worked out without OpenGL so that it can be checked and timed.
namespace lut_geometry {

constexpr int kGridSize = 9;
constexpr int kPointCount = kGridSize * kGridSize * kGridSize;
constexpr int kMaxValue = 1020;
// The RGB cube spans -5..5 on each axis; every node is a small cube of this half size.
constexpr float kCubeHalf = 5.0f;
constexpr float kNodeScale = 0.13f;
// Angles are kept in sixteenths of a degree.
constexpr int kFullTurn = 360 * 16;

using Points = std::array<ThreeD_LUT_Point, kPointCount>;

struct Vec3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};
struct Colour {
    float r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

// The table of the emulation generator as the viewer takes it.
Points points_from(const EmulationLut::Table& table);
// The identity table: each node outputs its own input.
Points identity_points();

// Brings an angle back into 0..kFullTurn: kFullTurn is added while it is negative and taken
// away while it is above kFullTurn (kFullTurn itself stays).
int normalized_angle(int angle);

// Where a node's cube sits: its output values placed in the -5..5 cube.
Vec3 node_position(const ThreeD_LUT_Point& point);
// A node's colour: that of its input, 0.1 (grid index 0) to 1.0 (index 8) per channel.
Colour node_colour(int node);
float grid_colour(int index);

// The unit cube (corners at +-1) face by face, four corners each, with the face's normal.
struct Face {
    Vec3 normal;
    std::array<Vec3, 4> corners;
};
const std::array<Face, 6>& unit_cube_faces();

// The twelve edges of the RGB cube, each end coloured like the RGB corner it stands for.
struct EdgeEnd {
    Vec3 position;
    Colour colour;
};
std::array<std::array<EdgeEnd, 2>, 12> cube_edges();

// Every quad of the lattice: six per node, with the node's colour; what the display list holds.
struct Quad {
    Colour colour;
    Vec3 normal;
    std::array<Vec3, 4> corners;
};
std::vector<Quad> lattice_quads(std::span<const ThreeD_LUT_Point, kPointCount> points);

}  // namespace lut_geometry
