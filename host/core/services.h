// The host's services record: the vertex arrays the host fills and the
// library reads, the pixel depth, and the memory functions the library
// allocates through.
#ifndef QUORVEL_HOST_SERVICES_H
#define QUORVEL_HOST_SERVICES_H

#include <cstdint>
#include <memory>
#include <vector>

#include "quorvel/host_records.h"

namespace quorvel_host {

// The memory functions the library allocates through; a host with its own
// allocator passes its functions here.
struct Memory_Functions {
    Allocate_Function allocate;
    Reallocate_Function reallocate;
    Release_Function release;
};
// The C library's calloc, realloc and free.
Memory_Functions Plain_Memory();

// A services record with vertex arrays for `vertex_capacity` vertices, all
// zeroed; pixel depth 16 and the C library's memory unless told otherwise.
class Services {
public:
    explicit Services(std::uint32_t vertex_capacity = 1024, std::int32_t pixel_depth = 16,
                      Memory_Functions memory = Plain_Memory());
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    Host_Services* Record() { return record_.get(); }
    Host_Services& operator*() { return *record_; }
    Host_Services* operator->() { return record_.get(); }

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
