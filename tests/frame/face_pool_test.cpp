// The face pools and their sort arrays: growth by 512 through the host's
// reallocate, what a failed growth leaves behind, and release.
#include <gtest/gtest.h>

#include <vector>

#include "frame/support/frame_test.h"

namespace {

using Sizes = std::vector<std::uint32_t>;
constexpr std::uint32_t record_bytes = sizeof(Prepared_Face);

class Face_Pools : public frame_test::Frame_Test {
protected:
    // Appends faces whose sort_depth is their position in the pool.
    void Fill(Face_Pool& pool, std::int32_t count) {
        for (std::int32_t i = 0; i < count; ++i) {
            Prepared_Face* face = Reserve_Face(pool);
            ASSERT_NE(face, nullptr);
            face->sort_depth = pool.count;
            Commit_Face(pool);
        }
    }
    static Sizes Sort_Sizes(std::uint32_t entries) { return Sizes{512 * 4, entries * 4}; }
};

TEST_F(Face_Pools, Record_513_Grows_The_Pool_And_The_Sort_Arrays_To_1024) {
    Face_Pool& pool = faces_state.opaque;
    Fill(pool, 512);
    EXPECT_EQ(pool.capacity, 512);
    Fill(pool, 1);
    EXPECT_EQ(pool.capacity, 1024);
    EXPECT_EQ(Growth_Of(pool.records), (Sizes{512 * record_bytes, 1024 * record_bytes}));
    EXPECT_EQ(faces_state.sort.capacity, 1024);
    EXPECT_EQ(Growth_Of(faces_state.sort.face_index), Sort_Sizes(1024));
    EXPECT_EQ(Growth_Of(faces_state.sort.scratch_first), Sort_Sizes(1024));
    EXPECT_EQ(Growth_Of(faces_state.sort.scratch_second), Sort_Sizes(1024));
    for (std::int32_t i = 0; i < 513; ++i) ASSERT_EQ(pool.records[i].sort_depth, i) << "records moved, not cleared";

    // Another pool reaching 513 finds the sort arrays large enough already.
    Log().Reset();
    Fill(faces_state.translucent, 513);
    EXPECT_EQ(Log().Count(quorvel_host::Memory_Call_Kind::Reallocate), 2u);
    EXPECT_EQ(faces_state.sort.capacity, 1024);
}

TEST_F(Face_Pools, Failed_Pool_Growth_Drops_The_Face_And_Keeps_The_Block) {
    Face_Pool& pool = faces_state.opaque;
    Fill(pool, 512);
    Prepared_Face* block = pool.records;
    Fail_Call_After(1);
    EXPECT_EQ(Reserve_Face(pool), nullptr);
    EXPECT_EQ(pool.records, block);
    EXPECT_EQ(pool.capacity, 512);
    EXPECT_EQ(pool.count, 512);
    EXPECT_EQ(faces_state.sort.capacity, 512);
    // The next face tries again.
    Fill(pool, 1);
    EXPECT_EQ(pool.capacity, 1024);
    EXPECT_EQ(pool.records[511].sort_depth, 511);
}

TEST_F(Face_Pools, Failed_Sort_Array_Growth_Is_Retried_Before_A_Record_Can_Outgrow_Them) {
    Face_Pool& pool = faces_state.opaque;
    Fill(pool, 512);
    Fail_Call_After(3);  // pool, Face_Index_Array, then the first scratch array fails
    EXPECT_EQ(Reserve_Face(pool), nullptr);
    // Every block is valid and every capacity matches its block.
    EXPECT_EQ(pool.capacity, 1024);
    EXPECT_EQ(Growth_Of(pool.records).back(), 1024 * record_bytes);
    EXPECT_EQ(faces_state.sort.capacity, 512) << "the smallest of the three";
    EXPECT_EQ(Growth_Of(faces_state.sort.face_index).back(), 1024u * 4);
    EXPECT_EQ(Growth_Of(faces_state.sort.scratch_first).back(), 512u * 4);
    EXPECT_EQ(pool.count, 512);

    // The pool has room now, but the sort arrays do not: the next face grows them.
    Fill(pool, 1);
    EXPECT_EQ(faces_state.sort.capacity, 1024);
    EXPECT_EQ(Growth_Of(faces_state.sort.scratch_second).back(), 1024u * 4);
    // 513 faces sort without running past the arrays (the sanitizers watch).
    Sort_Translucent_Faces(pool.records, pool.count);
    EXPECT_EQ(faces_state.sort.face_index[512], 512);
}

TEST_F(Face_Pools, Release_Hands_Every_Block_Back_And_Later_Frames_Grow_Again) {
    Fill(faces_state.opaque, 3);
    Fill(faces_state.translucent, 600);
    Fill(faces_state.overlay, 1);
    Opaque(frame_test::Rect(1, 1, 5, 3), 0.5f);
    ASSERT_GT(Run_Span_Buffer(), 0);
    ASSERT_GT(Log().live_blocks, 0);
    Release_Face_Pools();
    Release_Span_Buffer();
    EXPECT_EQ(Log().live_blocks, 0);
    for (const Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent, &faces_state.overlay}) {
        EXPECT_EQ(pool->records, nullptr);
        EXPECT_EQ(pool->count, 0);
        EXPECT_EQ(pool->capacity, 0);
    }
    EXPECT_EQ(faces_state.sort.face_index, nullptr);
    EXPECT_EQ(faces_state.sort.capacity, 0);
    EXPECT_EQ(frame_state.spans.records, nullptr);
    EXPECT_EQ(frame_state.edges.capacity, 0);

    Prepared_Face* face = Opaque(frame_test::Rect(1, 1, 5, 3), 0.5f);
    EXPECT_EQ(Run_Span_Buffer(), 2) << "the edge pool starts empty again";
    EXPECT_EQ(frame_test::Chain_Of(*face).size(), 2u);
}

}  // namespace
