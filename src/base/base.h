// What every stage of the library uses: the host's services, the dispatch
// rows a material points at, the frame-wide limits, the shade-table layout
// the fillers read, and the pools that grow through the host. The bottom
// layer: it includes nothing of the library but numbers.h.
#ifndef QUORVEL_BASE_H
#define QUORVEL_BASE_H

#include <cstddef>
#include <cstdint>

#include "base/numbers.h"
#include "quorvel/host_records.h"

// 4096 lines: the per-line tables are indexed by a 12-bit y.
constexpr std::int32_t max_scan_lines = 4096;

// The perspective span loops take an exact sample every 8 pixels from a
// span's start; the pixels between step linearly by (end - start) >> 3.
constexpr std::int32_t subdivision_shift = 3;
constexpr std::int32_t subdivision_pixels = 1 << subdivision_shift;

enum Row_Id : int {
    Row_Random,
    Row_Random_Blend,
    Row_Flat,
    Row_Flat_Blend,
    Row_Mapped,
    Row_Mapped_Palette,
    Row_Mapped_Blend,
    Row_Mapped_Keyed,
    Row_Mapped_Keyed_Blend,
    Row_Mapped_Additive,
    Row_Square,
    Row_Square_Overlay,
    Row_Gouraud,
    Row_Gouraud_Blend,
    Row_Gouraud_Mapped,
    Row_Gouraud_Mapped_Blend,
    Row_Gouraud_Mapped_Keyed,
    Row_Gouraud_Mapped_Keyed_Blend,
    Row_Gouraud_Mapped_Additive,
    Row_Count
};

// The library's side of its interface with the host: the host's services and
// the rows its materials point at.
struct Interface_State {
    Host_Services* services = nullptr;  // set by Quorvel_Init_Render_Dll, never cleared
    Dispatch_Row rows[Row_Count] = {};
};
extern Interface_State interface_state;

inline Host_Services& Services() { return *interface_state.services; }

// The frame buffer's format: 555 only for depth 15, 565 for every other value.
inline bool Pixel_Format_Is_555() { return interface_state.services->pixel_depth == 15; }

// Rows are shared module-wide; a material points at one of them.
inline const Dispatch_Row* Row(Row_Id id) { return &interface_state.rows[id]; }
inline const Dispatch_Row& Row_Of(const Host_Material* material) { return *material->render_data->row; }

// Shade tables: 64 entries (unmapped) or 64 x 256 (mapped), each pixel << 16.
constexpr std::uint32_t shade_levels = 64;
constexpr std::uint32_t shade_table_mapped_entries = 64 * 256;
constexpr std::uint32_t shade_table_brightest_row = 63 * 256;

// A pool of records: grows in fixed steps through the host's reallocate,
// never shrinks until it is released.
template <class Record>
struct Pool {
    Record* records = nullptr;
    std::int32_t count = 0;
    std::int32_t capacity = 0;
};

// Resizes one block through the host. On failure the old block stays in use:
// the caller drops what it was adding, and the next attempt tries again. The
// host's reallocate takes a 32-bit size; a block that large is a failure, not
// a wrap.
template <class Record>
bool Grow_Block(Record*& block, std::int64_t new_capacity) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(new_capacity) * sizeof(Record);
    if (new_capacity > INT32_MAX || bytes > UINT32_MAX) return false;
    void* grown = Services().reallocate(block, static_cast<std::uint32_t>(bytes));
    if (grown == nullptr) return false;
    block = static_cast<Record*>(grown);
    return true;
}

// Adds one step to a pool's capacity; on failure the pool stays as it was.
template <class Record>
bool Grow_Pool(Pool<Record>& pool, std::int32_t step) {
    const std::int64_t new_capacity = std::int64_t{pool.capacity} + step;
    if (!Grow_Block(pool.records, new_capacity)) return false;
    pool.capacity = static_cast<std::int32_t>(new_capacity);
    return true;
}

// Gives a block back to the host; later growth starts again from nothing.
template <class Record>
void Release_Block(Record*& block) {
    if (block != nullptr) Services().release(block);
    block = nullptr;
}

template <class Record>
void Release_Pool(Pool<Record>& pool) {
    Release_Block(pool.records);
    pool.count = 0;
    pool.capacity = 0;
}

// Asks for the cache line holding `address` ahead of its use, to read or to
// write. A hint only: it never faults and changes no result, so a line that
// turns out unused costs nothing but the fetch. Stages whose records were
// written long before (75 MB of faces on a 200,000-triangle mesh) use it to
// overlap misses that pointer chasing would take one after another.
inline void Prefetch(const void* address) { __builtin_prefetch(address, 0); }
inline void Prefetch_For_Write(const void* address) { __builtin_prefetch(address, 1); }

// Every cache line of a record (64 bytes: every x86 the library targets).
template <class Record>
inline void Prefetch_Record(const Record& record, bool for_write) {
    constexpr std::size_t cache_line = 64;
    const char* first = reinterpret_cast<const char*>(&record);
    for (std::size_t at = 0; at < sizeof(Record); at += cache_line)
        for_write ? Prefetch_For_Write(first + at) : Prefetch(first + at);
    for_write ? Prefetch_For_Write(first + sizeof(Record) - 1) : Prefetch(first + sizeof(Record) - 1);
}

#endif
