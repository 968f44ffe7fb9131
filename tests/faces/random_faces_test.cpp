// Seeded random faces through every row's setup: faces crossing every plane,
// non-convex ones, large ones and ones whose host outcodes disagree with
// their coordinates. Whatever arrives, every record that is appended holds
// at most 16 vertices, all inside the viewport, with rows that match them.
// Run under the asan build this also shows no write outside the record.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "face_scene.h"
#include "interface/numbers.h"

namespace face_test {
namespace {

struct Random_Faces {
    std::mt19937 random;
    explicit Random_Faces(unsigned seed) : random(seed) {}
    float Uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); }
    int Below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

    // A face of 1 to 24 corners: convex (an ellipse in a random plane) or scattered,
    // anywhere from well inside to far outside, sometimes with lying outcodes.
    std::vector<std::uint32_t> Make(Face_Scene& s, std::uint32_t first_vertex, bool& truthful) {
        const int count = Below(4) == 0 ? 1 + Below(24) : 3 + Below(4);
        const float cx = Uniform(-40, 40), cy = Uniform(-40, 40), cz = Uniform(-20, 130);
        const float radius = Below(3) == 0 ? Uniform(50, 400) : Uniform(0.5f, 30);
        const float ax[3] = {Uniform(-1, 1), Uniform(-1, 1), Uniform(-1, 1)};
        const float bx[3] = {Uniform(-1, 1), Uniform(-1, 1), Uniform(-1, 1)};
        const bool scattered = Below(5) == 0;
        truthful = Below(5) != 0;
        std::vector<std::uint32_t> corners;
        for (int i = 0; i < count; ++i) {
            const float angle = 6.2831853f * static_cast<float>(i) / static_cast<float>(count);
            const float c = scattered ? Uniform(-1, 1) : std::cos(angle), d = scattered ? Uniform(-1, 1) : std::sin(angle);
            const float x = cx + radius * (c * ax[0] + d * bx[0]);
            const float y = cy + radius * (c * ax[1] + d * bx[1]);
            const float z = cz + radius * (c * ax[2] + d * bx[2]);
            const std::uint32_t index = first_vertex + static_cast<std::uint32_t>(i);
            const std::uint32_t outcode = truthful ? Host_Outcode(x, y, z) : (Below(2) ? 63u : static_cast<std::uint32_t>(random()) & 63u);
            s.services.Set_Vertex(index, x, y, z, outcode, Uniform(0, 255));
            corners.push_back(index);
        }
        return corners;
    }
};

void Check_Pool(const Face_Pool& pool, bool in_span_buffer) {
    for (std::int32_t r = 0; r < pool.count; ++r) {
        const Prepared_Face& face = pool.records[r];
        SCOPED_TRACE(testing::Message() << "record " << r);
        ASSERT_GE(face.vertex_count, 1);
        ASSERT_LE(face.vertex_count, max_face_vertices);
        for (std::int32_t i = 0; i < face.vertex_count; ++i) {
            ASSERT_TRUE(face.x[i] >= 0.0f && face.x[i] <= 320.0f) << face.x[i];
            ASSERT_TRUE(face.y[i] >= 0.0f && face.y[i] <= 240.0f) << face.y[i];
            ASSERT_EQ(face.y_row[i], Truncate_To_Int(face.y[i]));
        }
        if (in_span_buffer) {
            ASSERT_TRUE(std::isfinite(face.depth_0) && std::isfinite(face.depth_dx) && std::isfinite(face.depth_dy));
        }
        ASSERT_EQ(face.first_span, -1);
    }
}

TEST(Random_Faces, Every_Row_Keeps_Records_Inside_Record_And_Viewport) {
    for (int id = 0; id < Row_Count; ++id) {
        SCOPED_TRACE(testing::Message() << "row " << id);
        Face_Scene s(static_cast<Row_Id>(id));
        Random_Faces random(1000u + static_cast<unsigned>(id));
        std::int32_t truthful_faces = 0;
        for (int n = 0; n < 1500; ++n) {
            // Each face its own object: a new generation, its own vertices.
            s.services->transform_generation += 1;
            bool truthful = true;
            const std::vector<std::uint32_t> corners = random.Make(s, static_cast<std::uint32_t>((n % 8) * 24), truthful);
            truthful_faces += truthful;
            s.row.setup(&s.scene, s.Face(corners));
        }
        clip_calls.clear();
        const std::int32_t prepared = s.Opaque().count + s.Translucent().count + s.Overlay().count;
        // Plenty of work reached the records; the squares take only quads inside near and far.
        EXPECT_GT(prepared, id == Row_Square || id == Row_Square_Overlay ? 20 : 300);
        EXPECT_GT(truthful_faces, 1000);
        Check_Pool(s.Opaque(), true);
        Check_Pool(s.Translucent(), true);
        Check_Pool(s.Overlay(), false);
    }
}

}  // namespace
}  // namespace face_test
