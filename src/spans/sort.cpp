// Translucent ordering: a stable byte-wise radix sort of a face list by
// sort_depth, least significant byte first, into the Face_Index_Array. Only
// as many passes run as the largest key has bytes.
#include <cstdint>

#include "spans/spans.h"

namespace {

std::uint32_t Key_Byte(const Prepared_Face& face, std::int32_t pass) {
    return (static_cast<std::uint32_t>(face.sort_depth) >> (8 * pass)) & 0xFFu;
}

// One stable counting pass over `order` (null: list order) into `out`.
void Counting_Pass(const Prepared_Face* list, std::int32_t count, std::int32_t pass, const std::int32_t* order,
                   std::int32_t* out) {
    // 257 counters: byte b counts into b + 1, so after the running sums
    // counter b is the number of faces whose byte is below b, the first slot
    // for byte b.
    std::int32_t starts[257] = {};
    for (std::int32_t i = 0; i < count; ++i) ++starts[Key_Byte(list[order ? order[i] : i], pass) + 1];
    for (std::int32_t b = 1; b < 256; ++b) starts[b] += starts[b - 1];
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t position = order ? order[i] : i;
        out[starts[Key_Byte(list[position], pass)]++] = position;
    }
}

}  // namespace

void Sort_Translucent_Faces(const Prepared_Face* list, std::int32_t count) {
    std::int32_t largest = list[0].sort_depth;
    for (std::int32_t i = 1; i < count; ++i)
        if (list[i].sort_depth > largest) largest = list[i].sort_depth;
    const std::int32_t passes = largest <= 0xFF ? 1 : largest <= 0xFFFF ? 2 : largest <= 0xFFFFFF ? 3 : 4;

    // The passes alternate between the scratch arrays and the last one lands
    // in the Face_Index_Array, so no pass reads what it writes.
    Sort_Arrays& sort = faces_state.sort;
    const std::int32_t* order = nullptr;
    for (std::int32_t pass = 0; pass < passes; ++pass) {
        std::int32_t* out = pass + 1 == passes ? sort.face_index
                            : pass % 2 == 0    ? sort.scratch_first
                                               : sort.scratch_second;
        Counting_Pass(list, count, pass, order, out);
        order = out;
    }
}
