// The three face pools and the sort arrays: reserving a slot, growing in
// steps of 512 through the host's reallocate, and giving everything back.
#include <cstdint>
#include <initializer_list>

#include "faces/faces.h"

namespace {

// The three arrays share one capacity, the smallest of theirs: growth stops
// at the first failure, so the arrays that did grow simply hold more than
// the shared capacity says until the next attempt resizes them again.
bool Grow_Sort_Arrays(Sort_Arrays& sort) {
    const std::int32_t new_capacity = sort.capacity + face_pool_step;
    if (!Grow_Block(sort.face_index, new_capacity)) return false;
    if (!Grow_Block(sort.scratch_first, new_capacity)) return false;
    if (!Grow_Block(sort.scratch_second, new_capacity)) return false;
    sort.capacity = new_capacity;
    return true;
}

}  // namespace

Prepared_Face* Reserve_Face(Face_Pool& pool) {
    // A failed growth drops this face; the next face that finds the pool full tries again.
    if (pool.count >= pool.capacity && !Grow_Pool(pool, face_pool_step)) return nullptr;
    // Checked apart from the pool's own growth: when the pool grew but the sort
    // arrays did not, the next face finds room in the pool and must still get
    // the sort arrays grown before its record can be counted, or the ordering
    // would write past them.
    Sort_Arrays& sort = faces_state.sort;
    if (pool.count >= sort.capacity && !Grow_Sort_Arrays(sort)) return nullptr;
    // Setup writes nearly every line of a record that the stages after it
    // left long ago; asking two records ahead overlaps those misses.
    if (pool.count + 2 < pool.capacity) Prefetch_Record(pool.records[pool.count + 2], true);
    return &pool.records[pool.count];
}

void Release_Face_Pools() {
    for (Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent, &faces_state.overlay}) Release_Pool(*pool);
    Sort_Arrays& sort = faces_state.sort;
    Release_Block(sort.face_index);
    Release_Block(sort.scratch_first);
    Release_Block(sort.scratch_second);
    sort.capacity = 0;
}
