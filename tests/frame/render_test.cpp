// The frame driver: Quorvel_Render_Dll and Draw_Face_Lists on hand-built
// faces, checked pixel by pixel against frame buffers with guard pixels all
// around the viewport, and through recording fillers for the order of calls.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "fillers/fillers.h"
#include "frame/support/frame_test.h"
#include "quorvel/quorvel_soft.h"

namespace {

using frame_test::Point;
using frame_test::Rect;

constexpr std::uint16_t guard = 0xABCD;
constexpr std::uint32_t clear_flag = 1;

// What the recording filler saw, call by call.
struct Fill_Call {
    const Prepared_Face* face;
    std::uint16_t* frame_buffer;
    std::uint32_t pass_through;
    std::int32_t pitch;
};
std::vector<Fill_Call> fill_calls;
void QUORVEL_CDECL Record_Fill(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through,
                               std::int32_t pitch) {
    fill_calls.push_back({face, frame_buffer, pass_through, pitch});
}

class Frame_Driver : public frame_test::Frame_Test {
protected:
    Frame_Driver() {
        current = this;
        camera_operations.prepare = Prepare_Camera;
        camera_object.operations = &camera_operations;
        scene.camera_object = &camera_object;
        recording_row.fill = Record_Fill;
        recording_data.row = &recording_row;
        recording_material.render_data = &recording_data;
        fill_calls.clear();
    }
    ~Frame_Driver() override { current = nullptr; }

    // A frame buffer of `rows` rows of `pitch` pixels, all guard, whose first
    // pixel lies `offset` pixels into the allocation (1: at 2 modulo 4).
    void Make_Buffer(std::int32_t rows, std::int32_t offset = 0) {
        storage.assign(static_cast<std::size_t>(rows * scene.pitch + 2), guard);
        buffer = storage.data() + offset;
        expected.assign(storage.begin(), storage.end());
    }
    std::uint16_t& Expected(int x, int y) {
        return expected[static_cast<std::size_t>(buffer - storage.data() + y * scene.pitch + x)];
    }
    void Expect_Rect(int x0, int y0, int x1, int y1, std::uint16_t value) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Expected(x, y) = value;
    }
    // Compares the whole allocation, guard pixels included, naming the first difference.
    void Check_Buffer() {
        for (std::size_t i = 0; i < storage.size(); ++i) {
            if (storage[i] != expected[i]) {
                const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(i) - (buffer - storage.data());
                FAIL() << "pixel (" << at % scene.pitch << ", " << at / scene.pitch << "): 0x" << std::hex
                       << storage[i] << ", expected 0x" << expected[i];
            }
        }
    }

    Prepared_Face* Recorded(Face_Pool& pool, const std::vector<Point>& corners, std::int32_t sort_depth) {
        Prepared_Face* face = Add_Face(pool, corners, 0.5f);
        face->material = &recording_material;
        face->sort_depth = sort_depth;
        return face;
    }

    static void QUORVEL_CDECL Prepare_Camera(void* object, Host_Scene* given) {
        ++current->prepare_calls;
        EXPECT_EQ(object, &current->camera_object);
        EXPECT_EQ(given, &current->scene);
        if (current->on_prepare) current->on_prepare();
    }

    static inline Frame_Driver* current = nullptr;
    Host_Camera_Object camera_object{};
    Camera_Operations camera_operations{};
    int prepare_calls = 0;
    std::function<void()> on_prepare;
    Dispatch_Row recording_row{};
    Material_Render_Data recording_data{};
    Host_Material recording_material{};
    std::vector<std::uint16_t> storage, expected;
    std::uint16_t* buffer = nullptr;
};

TEST_F(Frame_Driver, Without_A_Camera_Object_Nothing_Happens) {
    scene.camera_object = nullptr;
    Make_Buffer(4);
    faces_state.overlay.count = 3;  // not even the counts are reset
    EXPECT_EQ(Quorvel_Render_Dll(&scene, buffer, 0, clear_flag), 0);
    EXPECT_EQ(prepare_calls, 0);
    EXPECT_EQ(faces_state.overlay.count, 3);
    faces_state.overlay.count = 0;
    Check_Buffer();
}

TEST_F(Frame_Driver, Empty_Scene_Clears_Exactly_The_Viewport_Read_After_The_Camera_Is_Prepared) {
    // The viewport only becomes valid in the camera preparation.
    Set_Viewport(std::numeric_limits<float>::quiet_NaN(), 0, 0, 0, 16);
    on_prepare = [this] { Set_Viewport(3.0f, 2.0f, 11.7f, 9.5f, 16); };
    Make_Buffer(12);
    EXPECT_EQ(Quorvel_Render_Dll(&scene, buffer, 0, 0), 0);
    EXPECT_EQ(prepare_calls, 1);
    Check_Buffer();  // without the flag nothing is written

    EXPECT_EQ(Quorvel_Render_Dll(&scene, buffer, 0, clear_flag | 0xFFFF0000u), 0);
    Expect_Rect(3, 2, 11, 9, 0);  // columns 3..10, lines 2..8
    Check_Buffer();
}

TEST_F(Frame_Driver, Background_Clear_Is_Exact_At_Odd_Addresses_And_Odd_Lengths) {
    for (std::int32_t offset : {0, 1}) {
        for (float left : {3.0f, 4.0f}) {
            for (float width : {1.0f, 2.0f, 5.0f, 6.0f, 11.0f}) {
                SCOPED_TRACE(testing::Message() << "offset " << offset << ", left " << left << ", width " << width);
                faces_state.opaque.count = 0;
                Set_Viewport(left, 1, left + width, 4, 20);
                Make_Buffer(5, offset);
                // A face in the middle of line 2 splits the background there
                // into runs that start and end at both parities.
                if (width > 5) Opaque(Rect(left + 2, 2, left + 3, 3), 0.5f);
                ASSERT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0);
                Expect_Rect(static_cast<int>(left), 1, static_cast<int>(left + width), 4, 0);
                if (width > 5) Expected(static_cast<int>(left) + 2, 2) = material.flat_colour;
                Check_Buffer();
            }
        }
    }
}

TEST_F(Frame_Driver, Fillers_Run_Opaque_In_List_Order_Then_Each_Sorted_List_Farthest_First) {
    Set_Viewport(0, 0, 16, 8, 16);
    Make_Buffer(8);
    const Prepared_Face* opaque_a = Recorded(faces_state.opaque, Rect(0, 0, 4, 4), 0);
    const Prepared_Face* opaque_b = Recorded(faces_state.opaque, Rect(8, 0, 12, 4), 0);
    const Prepared_Face* near_glass = Recorded(faces_state.translucent, Rect(2, 2, 6, 6), 10);
    const Prepared_Face* far_glass = Recorded(faces_state.translucent, Rect(3, 3, 7, 7), 20);
    const Prepared_Face* equal_glass = Recorded(faces_state.translucent, Rect(1, 1, 2, 2), 10);
    const Prepared_Face* overlay_near = Recorded(faces_state.overlay, Rect(0, 0, 2, 2), 1);
    const Prepared_Face* overlay_far = Recorded(faces_state.overlay, Rect(0, 0, 2, 2), 400);
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0xDEADBEEF, 0), 2) << "the overlay count";
    // Among equal keys the face appended later is drawn first.
    const std::vector<const Prepared_Face*> order = {opaque_a,    opaque_b,    far_glass,   equal_glass,
                                                     near_glass, overlay_far, overlay_near};
    ASSERT_EQ(fill_calls.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(fill_calls[i].face, order[i]) << "call " << i;
        EXPECT_EQ(fill_calls[i].frame_buffer, buffer);
        EXPECT_EQ(fill_calls[i].pass_through, 0xDEADBEEFu);
        EXPECT_EQ(fill_calls[i].pitch, 16);
    }
    EXPECT_EQ(overlay_far->first_span, -1) << "overlay faces get no spans";
}

TEST_F(Frame_Driver, First_Frame_Restarts_Its_Edge_Stage_And_Draws_Normally) {
    Set_Viewport(0, 0, 8, 4, 8);
    Make_Buffer(4);
    Opaque({{2, 0}, {2, 4}, {6, 4}}, 1.0f);
    Log().Reset();
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0);
    EXPECT_EQ(Growth_Of(frame_state.edges.records), (std::vector<std::uint32_t>{4096 * sizeof(Edge)}));
    // The worked example's face and background.
    Expect_Rect(0, 0, 8, 4, 0);
    Expect_Rect(2, 1, 3, 2, material.flat_colour);
    Expect_Rect(2, 2, 4, 3, material.flat_colour);
    Expect_Rect(2, 3, 5, 4, material.flat_colour);
    Check_Buffer();
}

TEST_F(Frame_Driver, Failed_Edge_Pool_Growth_Returns_2_And_Draws_Nothing) {
    Make_Buffer(4);
    Opaque(Rect(1, 1, 5, 3), 0.5f);
    Add_Face(faces_state.overlay, Rect(0, 0, 2, 2), 0.5f);
    Fail_Call_After(1);
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 2);
    Check_Buffer();  // not even the background clear
    // The next frame grows the pool and draws.
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 1);
    Expect_Rect(0, 0, 8, 4, 0);
    Expect_Rect(1, 1, 5, 3, material.flat_colour);
    Check_Buffer();
}

TEST_F(Frame_Driver, Failed_Span_Pool_Growth_Draws_The_Spans_That_Exist) {
    // Three spans per line: the first 4096 spans fill 1365 lines and the
    // first run of the next; nothing below it is drawn.
    Set_Viewport(0, 0, 8, 2000, 8);
    Make_Buffer(2000);
    Opaque(Rect(3, 0, 5, 2000), 0.5f);
    Fail_Call_After(3);  // edge pool, span pool to 4096, then the second span growth
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0);
    const int full_lines = 4096 / 3;
    Expect_Rect(0, 0, 8, full_lines, 0);
    Expect_Rect(3, 0, 5, full_lines, material.flat_colour);
    Expect_Rect(0, full_lines, 3, full_lines + 1, 0);
    Check_Buffer();
}

TEST_F(Frame_Driver, Viewports_Outside_The_Tables_Or_The_Row_Draw_Nothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Bad {
        float left, top, right, bottom;
        std::int32_t pitch;
    };
    for (const Bad& bad : {Bad{0, -1, 8, 4, 8}, Bad{0, 0, 8, 4097, 8}, Bad{nan, 0, 8, 4, 8}, Bad{0, 0, 8, nan, 8},
                           Bad{0, 0, inf, 4, 8}, Bad{-1, 0, 8, 4, 8}, Bad{0, 0, 9, 4, 8}, Bad{5, 0, 4, 4, 8},
                           Bad{0, 3, 8, 2, 8}, Bad{0, 0, 32768, 4, 40000}, Bad{0, 0, 8, 4, 0}}) {
        SCOPED_TRACE(testing::Message() << bad.left << " " << bad.top << " " << bad.right << " " << bad.bottom
                                        << " pitch " << bad.pitch);
        Set_Viewport(0, 0, 8, 4, 8);
        Make_Buffer(4);
        Set_Viewport(bad.left, bad.top, bad.right, bad.bottom, bad.pitch);
        faces_state.opaque.count = 0;
        Opaque(Rect(1, 1, 5, 3), 0.5f);
        const int calls_before = prepare_calls;
        EXPECT_EQ(Quorvel_Render_Dll(&scene, buffer, 0, clear_flag), 0);
        EXPECT_EQ(prepare_calls, calls_before + 1);
        EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0);
        Check_Buffer();
    }
}

TEST_F(Frame_Driver, Negative_Pitch_And_The_Last_Table_Line_Are_Accepted) {
    // A bottom-up frame buffer: row r lies r rows before the first.
    Set_Viewport(0, 0, 4, 4096, 4);
    Make_Buffer(4096);
    std::uint16_t* last_row = buffer + 4095 * 4;
    scene.pitch = -4;
    EXPECT_EQ(Quorvel_Render_Dll(&scene, last_row, 0, clear_flag), 0);
    for (std::size_t i = 0; i < 4096 * 4; ++i) ASSERT_EQ(buffer[i], 0) << i;
    EXPECT_EQ(buffer[4096 * 4], guard);
}

// The whole export path: the camera, the list resets, the traversal of the
// top-level objects and face setup (here a test function that appends
// hand-built faces), then edges, spans and fillers.
class Through_The_Export : public Frame_Driver {
protected:
    Through_The_Export() {
        operations.update = [](Host_Object*) {};
        operations.hook = [](Host_Object*, Host_Scene*, std::uint32_t) {};
        operations.source = [](Host_Object* object, Host_Scene*) { return object; };
        operations.in_view = [](Host_Object*, Host_Object* object, Host_Scene*) { object->in_view = 1; };
        operations.prepare = [](Host_Object*, Host_Object*, Host_Scene*) {};
        operations.transform = [](Host_Object*, Host_Object*, Host_Scene*) {};
        object_class.operations = &operations;
        object.object_class = &object_class;
        object.info = &info;
        setup_row.setup = Setup;
        setup_row.fill = Fill_Spans_Flat;
        setup_data.row = &setup_row;
        setup_material.render_data = &setup_data;
        setup_material.flat_colour = 0x5555;
        scene.first_object = &object;
    }
    void Add_Host_Face(Face_Pool* pool, const std::vector<Point>& corners) {
        host_faces.emplace_back();
        prepared.push_back({pool, corners});
    }
    void Link_Faces() {
        face_pointers.clear();
        for (Host_Face& face : host_faces) {
            face.material = &setup_material;
            face.visibility = &visibility;
            face_pointers.push_back(&face);
        }
        visibility.test = [](Host_Face*) -> std::int32_t { return 1; };
        object.faces = face_pointers.data();
        object.face_count = static_cast<std::int32_t>(face_pointers.size());
    }

    static void QUORVEL_CDECL Setup(Host_Scene*, Host_Face* face) {
        auto& self = static_cast<Through_The_Export&>(*current);
        const std::size_t index = static_cast<std::size_t>(face - self.host_faces.data());
        Prepared_Face* record = self.Add_Face(*self.prepared[index].pool, self.prepared[index].corners, 0.5f);
        record->material = &self.setup_material;
    }

    struct Face_To_Prepare {
        Face_Pool* pool;
        std::vector<Point> corners;
    };
    Host_Object_Operations operations{};
    Host_Class object_class{};
    Host_Object_Info info{};
    Host_Object object{};
    Host_Face_Visibility visibility{};
    Dispatch_Row setup_row{};
    Material_Render_Data setup_data{};
    Host_Material setup_material{};
    std::vector<Host_Face> host_faces;
    std::vector<Host_Face*> face_pointers;
    std::vector<Face_To_Prepare> prepared;
};

TEST_F(Through_The_Export, Frames_Draw_What_Traversal_Set_Up_And_Return_The_Overlay_Count) {
    Set_Viewport(0, 0, 10, 6, 12);
    Make_Buffer(6);
    Add_Host_Face(&faces_state.opaque, Rect(1, 1, 4, 5));
    Add_Host_Face(&faces_state.overlay, Rect(5, 1, 6, 2));
    Add_Host_Face(&faces_state.overlay, Rect(6, 1, 7, 2));
    Link_Faces();
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(Quorvel_Render_Dll(&scene, buffer, 0, clear_flag), 2);
        EXPECT_EQ(faces_state.opaque.count, 1) << "the lists start empty every frame";
        Expect_Rect(0, 0, 10, 6, 0);
        Expect_Rect(1, 1, 4, 5, 0x5555);
        Check_Buffer();
    }
    EXPECT_EQ(prepare_calls, 2);
}

}  // namespace
