// The one-colour fillers over hand-made span chains: which colour each
// writes, the random fill's byte rule, the 50% blend at both depths against
// a channel-by-channel reference, and that nothing beside the spans changes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/services.h"
#include "fillers/fillers.h"
#include "frame/frame.h"
#include "interface/interface.h"

namespace {

constexpr std::int32_t pitch = 24;
constexpr std::int32_t rows = 6;

// The 50% blend worked out per channel: blue is the average of the two blues
// rounded down; red and green average after their lowest bits are dropped.
std::uint16_t Reference_Half(std::uint16_t a, std::uint16_t b, bool is_555) {
    const int green_bits = is_555 ? 5 : 6;
    const int red_shift = 5 + green_bits;
    const std::uint32_t green_mask = (1u << green_bits) - 1;
    const auto blue = [](std::uint32_t p) { return p & 31u; };
    const auto green = [&](std::uint32_t p) { return (p >> 5) & green_mask; };
    const auto red = [&](std::uint32_t p) { return (p >> red_shift) & 31u; };
    const std::uint32_t blue_half = (blue(a) + blue(b)) >> 1;
    const std::uint32_t green_half = ((green(a) & ~1u) + (green(b) & ~1u)) >> 1;
    const std::uint32_t red_half = ((red(a) & ~1u) + (red(b) & ~1u)) >> 1;
    return static_cast<std::uint16_t>(red_half << red_shift | green_half << 5 | blue_half);
}

// Span fields run x, length, y; tests name them by position on the screen.
Span At(std::int32_t x, std::int32_t y, std::int32_t length) { return Span{x, length, y, -1}; }

class Flat_Fillers : public ::testing::Test {
protected:
    Flat_Fillers() {
        saved_services_ = interface_state.services;
        saved_spans_ = frame_state.spans;
        interface_state.services = services.Record();
        material.flat_colour = 0x1357;
        face.material = &material;
        face.face_colour = 0x12AB;
        face.first_span = -1;
        std::mt19937 random(11);
        for (std::uint16_t& pixel : frame) pixel = static_cast<std::uint16_t>(random());
    }
    ~Flat_Fillers() override {
        interface_state.services = saved_services_;
        frame_state.spans = saved_spans_;
    }

    // Chains the runs to the face in the given order (the chain's order).
    void Chain(std::vector<Span> runs) {
        spans = std::move(runs);
        for (std::size_t i = 0; i < spans.size(); ++i)
            spans[i].next = i + 1 < spans.size() ? static_cast<std::int32_t>(i + 1) : -1;
        face.first_span = spans.empty() ? -1 : 0;
        frame_state.spans.records = spans.data();
        frame_state.spans.count = frame_state.spans.capacity = static_cast<std::int32_t>(spans.size());
    }
    void Depth(std::int32_t depth) { services->pixel_depth = depth; }

    // Runs the filler and checks every pixel: inside a span `inside(old)`,
    // outside unchanged.
    template <class Inside>
    void Fill_And_Check(Fill_Function fill, Inside inside) {
        const std::vector<std::uint16_t> before(frame, frame + pitch * rows);
        std::vector<bool> covered(pitch * rows, false);
        for (const Span& span : spans)
            for (std::int32_t x = span.x; x < span.x + span.length; ++x) covered[span.y * pitch + x] = true;
        fill(&face, frame, 0, pitch);
        for (std::int32_t i = 0; i < pitch * rows; ++i) {
            const std::uint16_t expected = covered[i] ? inside(before[i]) : before[i];
            ASSERT_EQ(frame[i], expected) << "pixel (" << i % pitch << ", " << i / pitch << ") was 0x" << std::hex
                                          << before[i];
        }
    }

    quorvel_host::Services services{16, 16};
    Host_Material material{};
    Prepared_Face face{};
    std::vector<Span> spans;
    std::uint16_t frame[pitch * rows] = {};

private:
    Host_Services* saved_services_ = nullptr;
    Span_Pool saved_spans_{};
};

TEST_F(Flat_Fillers, Random_Fill_Writes_The_Low_Byte_Of_The_Face_Colour_Into_Both_Bytes) {
    // Lengths 1 to 9 from both address parities: the byte stores must land on
    // exactly the span's pixels, a single pixel included.
    std::vector<Span> runs;
    for (std::int32_t length = 1; length <= 9; ++length) runs.push_back(At(length % 2 + length, length % rows, length));
    Chain(runs);
    for (std::int32_t depth : {15, 16}) {
        Depth(depth);
        face.face_colour = 0x12AB;
        Fill_And_Check(Fill_Spans_Random, [](std::uint16_t) { return 0xABAB; });
        face.face_colour = 0x00FF;
        Fill_And_Check(Fill_Spans_Random, [](std::uint16_t) { return 0xFFFF; });
    }
}

TEST_F(Flat_Fillers, Flat_Fill_Stores_The_Material_Colour_As_Is) {
    Chain({At(20, 5, 4), At(0, 5, 3), At(7, 0, 10)});
    for (std::int32_t depth : {15, 16, 32}) {
        Depth(depth);
        material.flat_colour = static_cast<std::uint16_t>(0x8001 + depth);
        const std::uint16_t colour = material.flat_colour;
        Fill_And_Check(Fill_Spans_Flat, [colour](std::uint16_t) { return colour; });
    }
}

TEST_F(Flat_Fillers, Blend_Worked_Values_At_Both_Depths) {
    Chain({At(3, 1, 2)});
    face.face_colour = 0xFFFF;
    material.flat_colour = 0xFFFF;
    for (auto [depth, over_black, over_white] : {std::tuple{16, 0x7BEF, 0xF7DF}, std::tuple{15, 0x3DEF, 0x7BDF}}) {
        Depth(depth);
        for (Fill_Function fill : {Fill_Spans_Flat_Blend, Fill_Spans_Random_Blend}) {
            frame[pitch + 3] = frame[pitch + 4] = 0x0000;
            fill(&face, frame, 0, pitch);
            EXPECT_EQ(frame[pitch + 3], over_black) << "depth " << depth;
            frame[pitch + 3] = frame[pitch + 4] = 0xFFFF;
            fill(&face, frame, 0, pitch);
            EXPECT_EQ(frame[pitch + 4], over_white) << "depth " << depth;
        }
    }
}

TEST_F(Flat_Fillers, Blends_Match_The_Channel_Reference_For_Every_Colour_Pair_Sampled) {
    // The whole frame as one span per line, refilled with random pixels.
    std::vector<Span> runs;
    for (std::int32_t y = rows - 1; y >= 0; --y) runs.push_back(At(0, y, pitch));
    Chain(runs);
    std::mt19937 random(3);
    for (int trial = 0; trial < 400; ++trial) {
        for (std::uint16_t& pixel : frame) pixel = static_cast<std::uint16_t>(random());
        const std::int32_t depth = trial % 2 == 0 ? 15 : 16;
        Depth(depth);
        face.face_colour = static_cast<std::uint16_t>(random());
        material.flat_colour = static_cast<std::uint16_t>(random());
        const std::uint16_t face_colour = face.face_colour, flat_colour = material.flat_colour;
        // The blended random fill uses the whole colour, not its low byte twice.
        Fill_And_Check(Fill_Spans_Random_Blend,
                       [&](std::uint16_t old) { return Reference_Half(face_colour, old, depth == 15); });
        Fill_And_Check(Fill_Spans_Flat_Blend,
                       [&](std::uint16_t old) { return Reference_Half(flat_colour, old, depth == 15); });
    }
}

}  // namespace
