#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "ui/lut_viewer/lut_geometry.h"

using namespace lut_geometry;

namespace {

float expected_place(int value) {
    return static_cast<float>(value) * 10.0f / 1020.0f - 5.0f;
}

TEST(LutViewerAngles, AnglesWrapIntoOneTurnOfSixteenthsOfADegree) {
    EXPECT_EQ(normalized_angle(-130), 5630) << "the view's initial tilt";
    EXPECT_EQ(normalized_angle(0), 0);
    EXPECT_EQ(normalized_angle(5760), 5760) << "a full turn is kept, only beyond it wraps";
    EXPECT_EQ(normalized_angle(5761), 1);
    EXPECT_EQ(normalized_angle(-1), 5759);
    EXPECT_EQ(normalized_angle(-5760), 0);
    EXPECT_EQ(normalized_angle(3 * 5760 + 17), 17);
    EXPECT_EQ(normalized_angle(-3 * 5760 - 17), 5760 - 17);
}

TEST(LutViewerLattice, AnIdentityTableFillsTheCubeCornerToCornerInItsOwnColours) {
    const Points identity = identity_points();
    // The generator's identity levels: i * 127.5, rounded.
    for (int i = 0; i < kGridSize; ++i) {
        const int level = static_cast<int>(std::floor(0.5 + i * 127.5));
        EXPECT_EQ(identity[static_cast<std::size_t>(i)].red, level);
        EXPECT_EQ(identity[static_cast<std::size_t>(i * 9)].green, level);
        EXPECT_EQ(identity[static_cast<std::size_t>(i * 81)].blue, level);
    }
    EXPECT_EQ(node_position(identity.front()), (Vec3{-5, -5, -5}));
    EXPECT_EQ(node_position(identity.back()), (Vec3{5, 5, 5}));
    for (int b = 0; b < kGridSize; ++b) {
        for (int g = 0; g < kGridSize; ++g) {
            for (int r = 0; r < kGridSize; ++r) {
                const int node = (b * 9 + g) * 9 + r;
                const Vec3 p = node_position(identity[static_cast<std::size_t>(node)]);
                // A regular lattice: 1.25 apart, within the rounding of the 0..1020 levels.
                EXPECT_NEAR(p.x, -5.0 + r * 1.25, 0.005) << node;
                EXPECT_NEAR(p.y, -5.0 + g * 1.25, 0.005) << node;
                EXPECT_NEAR(p.z, -5.0 + b * 1.25, 0.005) << node;
                const Colour c = node_colour(node);
                EXPECT_FLOAT_EQ(c.r, 0.1f + 0.9f * r / 8);
                EXPECT_FLOAT_EQ(c.g, 0.1f + 0.9f * g / 8);
                EXPECT_FLOAT_EQ(c.b, 0.1f + 0.9f * b / 8);
            }
        }
    }
    EXPECT_FLOAT_EQ(grid_colour(0), 0.1f);
    EXPECT_FLOAT_EQ(grid_colour(8), 1.0f);
}

TEST(LutViewerLattice, NodesSitWhereTheirOutputSaysAndKeepTheirInputColour) {
    EmulationLut::Table table = EmulationLut().table();
    // Node (8, 0, 0), pure red in, comes out as a dull orange.
    table[8] = {700, 300, 40};
    const Points points = points_from(table);
    EXPECT_EQ(points[8], (ThreeD_LUT_Point{700, 300, 40}));
    const std::vector<Quad> quads = lattice_quads(points);
    ASSERT_EQ(quads.size(), 729u * 6u);
    for (std::size_t q = 8 * 6; q < 9 * 6; ++q) {
        EXPECT_EQ(quads[q].colour, (Colour{1.0f, 0.1f, 0.1f}));
        float sx = 0, sy = 0, sz = 0;
        for (const Vec3& v : quads[q].corners) {
            sx += v.x;
            sy += v.y;
            sz += v.z;
        }
        // The face's centre lies 0.13 out from the node along its normal.
        EXPECT_NEAR(sx / 4 - quads[q].normal.x * kNodeScale, expected_place(700), 1e-5);
        EXPECT_NEAR(sy / 4 - quads[q].normal.y * kNodeScale, expected_place(300), 1e-5);
        EXPECT_NEAR(sz / 4 - quads[q].normal.z * kNodeScale, expected_place(40), 1e-5);
    }
}

TEST(LutViewerLattice, UnitCubeFacesTurnOutwardsAndCoverTheCube) {
    std::set<std::tuple<float, float, float>> corners;
    for (const Face& face : unit_cube_faces()) {
        const Vec3& a = face.corners[0];
        const Vec3& b = face.corners[1];
        const Vec3& c = face.corners[2];
        const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z};
        const Vec3 v{c.x - b.x, c.y - b.y, c.z - b.z};
        const Vec3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        // Counter-clockwise seen from outside: the winding agrees with the normal.
        EXPECT_GT(n.x * face.normal.x + n.y * face.normal.y + n.z * face.normal.z, 0);
        for (const Vec3& corner : face.corners) {
            EXPECT_FLOAT_EQ(
                corner.x * face.normal.x + corner.y * face.normal.y + corner.z * face.normal.z,
                1.0f);
            corners.insert({corner.x, corner.y, corner.z});
        }
    }
    EXPECT_EQ(corners.size(), 8u);
}

TEST(LutViewerLattice, CubeEdgesJoinNeighbouringCornersInTheirRgbColours) {
    const auto edges = cube_edges();
    std::set<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>> seen;
    for (const auto& edge : edges) {
        const Vec3& a = edge[0].position;
        const Vec3& b = edge[1].position;
        EXPECT_FLOAT_EQ(std::abs(a.x - b.x) + std::abs(a.y - b.y) + std::abs(a.z - b.z), 10.0f)
            << "each edge runs the full side along one axis";
        for (const EdgeEnd& end : edge) {
            EXPECT_FLOAT_EQ(std::abs(end.position.x), 5.0f);
            EXPECT_FLOAT_EQ(end.colour.r, end.position.x > 0 ? 0.9f : 0.1f);
            EXPECT_FLOAT_EQ(end.colour.g, end.position.y > 0 ? 0.9f : 0.1f);
            EXPECT_FLOAT_EQ(end.colour.b, end.position.z > 0 ? 0.9f : 0.1f);
        }
        seen.insert({{a.x, a.y, a.z}, {b.x, b.y, b.z}});
    }
    EXPECT_EQ(seen.size(), 12u);
}

}  // namespace
