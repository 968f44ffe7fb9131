// Host services for tests, tools and benchmarks.
#include "core/services.h"

#include <cstdlib>

namespace quorvel_host {

void Memory_Log::Reset() { *this = Memory_Log{}; }

std::size_t Memory_Log::Count(Memory_Call_Kind kind) const {
    std::size_t n = 0;
    for (const Memory_Call& call : calls) n += call.kind == kind;
    return n;
}

Memory_Log& Memory() {
    static Memory_Log log;
    return log;
}

namespace {

void* QUORVEL_CDECL Plain_Allocate(std::uint32_t count, std::uint32_t size) { return std::calloc(count, size); }
void* QUORVEL_CDECL Plain_Reallocate(void* block, std::uint32_t size) { return std::realloc(block, size); }
void QUORVEL_CDECL Plain_Release(void* block) { std::free(block); }

// Decides whether this allocate/reallocate call is one that must fail.
bool Next_Call_Fails() {
    Memory_Log& log = Memory();
    ++log.allocation_calls;
    if (log.fail_call != 0 && log.allocation_calls == log.fail_call) return true;
    if (log.fail_per_million != 0) {
        // xorshift64*: reproducible from the seed the test sets.
        std::uint64_t x = log.random_state;
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        log.random_state = x;
        return (x * 0x2545F4914F6CDD1Dull >> 32) % 1000000u < log.fail_per_million;
    }
    return false;
}

void* QUORVEL_CDECL Recording_Allocate(std::uint32_t count, std::uint32_t size) {
    void* result = Next_Call_Fails() ? nullptr : std::calloc(count, size);
    if (result != nullptr) ++Memory().live_blocks;
    Memory().calls.push_back({Memory_Call_Kind::Allocate, nullptr, count, size, result});
    return result;
}

void* QUORVEL_CDECL Recording_Reallocate(void* block, std::uint32_t size) {
    void* result = Next_Call_Fails() ? nullptr : std::realloc(block, size);
    if (result != nullptr && block == nullptr) ++Memory().live_blocks;
    Memory().calls.push_back({Memory_Call_Kind::Reallocate, block, 0, size, result});
    return result;
}

void QUORVEL_CDECL Recording_Release(void* block) {
    if (block != nullptr) --Memory().live_blocks;
    Memory().calls.push_back({Memory_Call_Kind::Release, block, 0, 0, nullptr});
    std::free(block);
}

}  // namespace

void Use_Plain_Memory(Host_Services& services) {
    services.allocate = Plain_Allocate;
    services.reallocate = Plain_Reallocate;
    services.release = Plain_Release;
}

void Use_Recording_Memory(Host_Services& services) {
    services.allocate = Recording_Allocate;
    services.reallocate = Recording_Reallocate;
    services.release = Recording_Release;
}

Services::Services(std::uint32_t vertex_capacity, std::int32_t pixel_depth)
    : vertex_capacity_(vertex_capacity),
      record_(new Host_Services{}),
      camera_vertices_(vertex_capacity),
      projected_vertices_(vertex_capacity),
      vertex_lights_(vertex_capacity),
      vertex_outcodes_(vertex_capacity),
      vertex_stamps_(vertex_capacity) {
    record_->camera_vertices = camera_vertices_.data();
    record_->projected_vertices = projected_vertices_.data();
    record_->vertex_lights = vertex_lights_.data();
    record_->vertex_outcodes = vertex_outcodes_.data();
    record_->vertex_stamps = vertex_stamps_.data();
    record_->pixel_depth = pixel_depth;
    Use_Plain_Memory(*record_);
}

void Services::Reserve_Vertices(std::uint32_t count) {
    if (count <= vertex_capacity_) return;
    vertex_capacity_ = count;
    camera_vertices_.resize(count);
    projected_vertices_.resize(count);
    vertex_lights_.resize(count);
    vertex_outcodes_.resize(count);
    vertex_stamps_.resize(count);
    record_->camera_vertices = camera_vertices_.data();
    record_->projected_vertices = projected_vertices_.data();
    record_->vertex_lights = vertex_lights_.data();
    record_->vertex_outcodes = vertex_outcodes_.data();
    record_->vertex_stamps = vertex_stamps_.data();
}

void Services::Set_Vertex(std::uint32_t index, float x, float y, float z, std::uint32_t outcode, float light) {
    camera_vertices_.at(index) = {x, y, z, 0.0f};
    vertex_lights_.at(index).light = light;
    vertex_outcodes_.at(index) = outcode;
}

}  // namespace quorvel_host
