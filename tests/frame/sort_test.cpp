// Translucent ordering: the Face_Index_Array after Sort_Translucent_Faces,
// against worked orders and a stable comparison sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "frame/support/frame_test.h"

namespace {

class Translucent_Order : public frame_test::Frame_Test {
protected:
    // The list positions in the order the sort leaves them.
    std::vector<std::int32_t> Sorted(const std::vector<std::int32_t>& keys) {
        faces_state.translucent.count = 0;
        for (std::int32_t key : keys) {
            Prepared_Face* face = Translucent(frame_test::Rect(0, 0, 1, 1), 0.5f);
            if (face == nullptr) return {};
            face->sort_depth = key;
        }
        Sort_Translucent_Faces(faces_state.translucent.records, faces_state.translucent.count);
        return {faces_state.sort.face_index, faces_state.sort.face_index + keys.size()};
    }
};

using Order = std::vector<std::int32_t>;

TEST_F(Translucent_Order, Worked_Orders) {
    EXPECT_EQ(Sorted({42}), Order{0});
    EXPECT_EQ(Sorted({300, 5, 300, 7}), (Order{1, 3, 0, 2}));
    EXPECT_EQ(Sorted({9, 9, 9, 9, 9}), (Order{0, 1, 2, 3, 4})) << "equal keys keep list order";
    EXPECT_EQ(Sorted({20, 10}), (Order{1, 0}));
}

TEST_F(Translucent_Order, Highest_Byte_Decides_In_The_Fourth_Pass) {
    EXPECT_EQ(Sorted({0x02000000, 0x01000000}), (Order{1, 0}));
    // Lower bytes arranged against the order of the highest one.
    EXPECT_EQ(Sorted({0x02000001, 0x01000002, 0x01000001, 0x7F000000}), (Order{2, 1, 0, 3}));
    EXPECT_EQ(Sorted({0x00FFFFFF, 0x01000000, 0x00FFFFFE}), (Order{2, 0, 1}));
}

TEST_F(Translucent_Order, Passes_Follow_The_Largest_Key) {
    // The largest key fits one byte, so only the low bytes are compared: a
    // negative key sorts by its low byte (-1 is byte 0xFF, -256 byte 0x00).
    EXPECT_EQ(Sorted({-1, 5}), (Order{1, 0}));
    EXPECT_EQ(Sorted({3, -256}), (Order{1, 0}));
    // 256 needs the second byte: 256 sorts after 255.
    EXPECT_EQ(Sorted({256, 255}), (Order{1, 0}));
    EXPECT_EQ(Sorted({65536, 65535}), (Order{1, 0}));
}

TEST_F(Translucent_Order, Random_Keys_Match_A_Stable_Sort_For_Every_Pass_Count) {
    std::mt19937 random(7);
    for (std::int32_t largest : {200, 60000, 16000000, 2000000000}) {
        for (int trial = 0; trial < 5; ++trial) {
            const int n = 1 + static_cast<int>(random() % 700);
            // Few distinct keys, so ties are common.
            std::vector<std::int32_t> palette;
            for (int i = 0; i < 1 + n / 4; ++i)
                palette.push_back(static_cast<std::int32_t>(random() % (static_cast<std::uint32_t>(largest) + 1)));
            std::vector<std::int32_t> keys;
            for (int i = 0; i < n; ++i) keys.push_back(palette[random() % palette.size()]);
            Order expected(n);
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) { return keys[a] < keys[b]; });
            ASSERT_EQ(Sorted(keys), expected) << "largest " << largest << ", " << n << " faces";
        }
    }
}

}  // namespace
