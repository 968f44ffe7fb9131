// The host's services record: vertex arrays the host fills and the library
// reads, pixel depth, and the memory functions the library allocates through.
// Tests use the recording memory functions to see every call and to make the
// n-th call (or a random fraction of calls) fail.
#ifndef QUORVEL_HOST_SERVICES_H
#define QUORVEL_HOST_SERVICES_H

#include <cstdint>
#include <memory>
#include <vector>

#include "quorvel/host_records.h"

namespace quorvel_host {

enum class Memory_Call_Kind { Allocate, Reallocate, Release };

struct Memory_Call {
    Memory_Call_Kind kind;
    void*            block;   // reallocate / release: the block passed in
    std::uint32_t    count;   // allocate only
    std::uint32_t    size;    // allocate: element size; reallocate: new byte size
    void*            result;  // allocate / reallocate: what was returned
};

// One memory log per process: the host functions are plain C function
// pointers, so the log they write to is module-wide.
struct Memory_Log {
    std::vector<Memory_Call> calls;
    std::uint64_t fail_call = 0;        // 1-based number of the allocate/reallocate call to fail; 0 = none
    std::uint32_t fail_per_million = 0; // random failures, per million allocate/reallocate calls
    std::uint64_t random_state = 0x9E3779B97F4A7C15ull;
    std::uint64_t allocation_calls = 0; // allocate + reallocate calls so far
    std::int64_t  live_blocks = 0;      // blocks handed out and not yet released

    void Reset();
    std::size_t Count(Memory_Call_Kind kind) const;
};
Memory_Log& Memory();

// Memory functions of the host: plain ones (calloc/realloc/free) and the
// recording ones, which log to Memory() and fail where told to.
void Use_Plain_Memory(Host_Services& services);
void Use_Recording_Memory(Host_Services& services);

// A services record with vertex arrays for `vertex_capacity` vertices, all
// zeroed; pixel depth 16 unless told otherwise.
class Services {
public:
    explicit Services(std::uint32_t vertex_capacity = 1024, std::int32_t pixel_depth = 16);
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    Host_Services* Record() { return record_.get(); }
    Host_Services& operator*() { return *record_; }
    Host_Services* operator->() { return record_.get(); }
    std::uint32_t Vertex_Capacity() const { return vertex_capacity_; }

    // Grows the vertex arrays to hold at least `count` vertices and points the
    // record at the new arrays; existing entries keep their values. Call it
    // between frames only: the library reads the arrays through the record.
    void Reserve_Vertices(std::uint32_t count);

    // Sets one vertex in every array (camera position, light, outcode).
    void Set_Vertex(std::uint32_t index, float x, float y, float z, std::uint32_t outcode, float light = 0.0f);

private:
    std::uint32_t vertex_capacity_;
    std::unique_ptr<Host_Services> record_;
    std::vector<Camera_Vertex> camera_vertices_;
    std::vector<Projected_Vertex> projected_vertices_;
    std::vector<Vertex_Light> vertex_lights_;
    std::vector<std::uint32_t> vertex_outcodes_;
    std::vector<std::uint32_t> vertex_stamps_;
};

}  // namespace quorvel_host

#endif
