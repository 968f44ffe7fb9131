// The edge walk into the Edge_Line_Table: both chains of random faces
// against the reference walk, the shade column, and faces reaching beyond
// the table's 4096 lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "fillers/edge_walk.h"
#include "fillers/support/mapped_fixture.h"
#include "fillers/support/mapped_reference.h"

namespace mapped_test {
namespace {

// Random polygons, vertex order and shape unconstrained (chains may run up
// and down), shade set equal to u·w so the shade column can be checked
// against the reference's u column.
Prepared_Face Random_Polygon(std::mt19937& random) {
    std::uniform_real_distribution<float> x_of(-50.0f, 700.0f), y_of(0.0f, 480.0f), unit(0.0f, 1.0f);
    Prepared_Face face{};
    face.vertex_count = 3 + random() % 14;
    for (int i = 0; i < face.vertex_count; ++i) {
        face.x[i] = x_of(random);
        face.y[i] = y_of(random);
        face.y_row[i] = static_cast<std::int32_t>(face.y[i]);
        face.w[i] = 0.01f + unit(random);
        face.u[i] = (unit(random) - 0.5f) * 1e5f;
        face.v[i] = (unit(random) - 0.5f) * 1e5f;
        face.shade[i] = face.u[i];
    }
    return face;
}

TEST(Edge_Walk, Both_Chains_Match_The_Reference_Line_By_Line) {
    std::mt19937 random(31);
    for (int round = 0; round < 500; ++round) {
        Prepared_Face face = Random_Polygon(random);
        const Ref_Edges expected = Reference_Edges(face);
        const Face_Lines lines = Walk_Edges<true, true>(face);
        ASSERT_EQ(lines.top, expected.top);
        ASSERT_EQ(lines.bottom, expected.bottom);
        for (const auto& [y, line] : expected.lines) {
            const Edge_Line& walked = fillers_state.edge_lines[y];
            ASSERT_EQ(walked.x_left, line.x[0]) << "round " << round << " line " << y;
            ASSERT_EQ(walked.x_right, line.x[1]) << "round " << round << " line " << y;
            ASSERT_EQ(walked.uw_left, line.uw[0]);
            ASSERT_EQ(walked.uw_right, line.uw[1]);
            ASSERT_EQ(walked.vw_left, line.vw[0]);
            ASSERT_EQ(walked.vw_right, line.vw[1]);
            ASSERT_EQ(walked.w_left, line.w[0]);
            ASSERT_EQ(walked.w_right, line.w[1]);
            ASSERT_EQ(walked.shade_left, line.uw[0]);
            ASSERT_EQ(walked.shade_right, line.uw[1]);
        }
    }
}

// x is truncated toward zero, so a chain left of column 0 stores -0.x as 0.
TEST(Edge_Walk, X_Truncates_Toward_Zero) {
    Prepared_Face face = Make_Face({{-0.75f, 0, 1, 0, 0}, {-0.75f, 2, 1, 0, 0}, {5.9f, 2, 1, 0, 0}, {5.9f, 0, 1, 0, 0}}, nullptr);
    Walk_Edges<true, false>(face);
    EXPECT_EQ(fillers_state.edge_lines[0].x_left, 0);
    EXPECT_EQ(fillers_state.edge_lines[1].x_right, 5);
}

// A walk without u, v or shade leaves those words as they were.
TEST(Edge_Walk, Leaves_Words_Of_Attributes_It_Does_Not_Carry) {
    fillers_state.edge_lines[3].uw_left = 77.0f;
    fillers_state.edge_lines[3].shade_right = 55.0f;
    Prepared_Face face = Make_Face({{0, 2, 1, 9, 9, 9}, {0, 6, 1, 9, 9, 9}, {8, 6, 1, 9, 9, 9}, {8, 2, 1, 9, 9, 9}}, nullptr);
    Walk_Edges<false, false>(face);
    EXPECT_EQ(fillers_state.edge_lines[3].x_right, 8);
    EXPECT_EQ(fillers_state.edge_lines[3].uw_left, 77.0f);
    EXPECT_EQ(fillers_state.edge_lines[3].shade_right, 55.0f);
}

// Face setup keeps faces inside 0..4095; a face that is not stays inside the
// table (the address sanitizer build would report a stray write) and the
// lines it has there hold the values the reference walk gives them.
TEST(Edge_Walk, Lines_Beyond_The_Table_Are_Not_Written) {
    Prepared_Face face = Make_Face({{10, 4090, 1, 0, 0}, {10, 4200, 1, 0, 0}, {90, 4200, 1, 0, 0}, {90, 4090, 1, 0, 0}}, nullptr);
    Walk_Edges<true, true>(face);
    EXPECT_EQ(fillers_state.edge_lines[4095].x_left, 10);
    EXPECT_EQ(fillers_state.edge_lines[4095].x_right, 90);
    Prepared_Face above = Make_Face({{20, -30, 1, 0, 0}, {0, 10, 1, 0, 0}, {40, 10, 1, 0, 0}}, nullptr);
    Walk_Edges<true, true>(above);
    const Ref_Edges expected = Reference_Edges(above);
    for (int y = 0; y < 10; ++y) {
        EXPECT_NEAR(fillers_state.edge_lines[y].x_left, expected.lines.at(y).x[0], 1) << y;
        EXPECT_NEAR(fillers_state.edge_lines[y].x_right, expected.lines.at(y).x[1], 1) << y;
    }
}

}  // namespace
}  // namespace mapped_test
