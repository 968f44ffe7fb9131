// The services record and the vertex arrays behind it.
#include "core/services.h"

#include <cstdlib>

namespace quorvel_host {

namespace {

void* QUORVEL_CDECL Plain_Allocate(std::uint32_t count, std::uint32_t size) { return std::calloc(count, size); }
void* QUORVEL_CDECL Plain_Reallocate(void* block, std::uint32_t size) { return std::realloc(block, size); }
void QUORVEL_CDECL Plain_Release(void* block) { std::free(block); }

}  // namespace

Memory_Functions Plain_Memory() { return {Plain_Allocate, Plain_Reallocate, Plain_Release}; }

Services::Services(std::uint32_t vertex_capacity, std::int32_t pixel_depth, Memory_Functions memory)
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
    record_->allocate = memory.allocate;
    record_->reallocate = memory.reallocate;
    record_->release = memory.release;
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
