// A hand-built world for the perspective fillers: services with a pixel depth,
// a material with its map, image and shade table, a frame buffer, and spans
// put straight into the span pool. Faces are built vertex by vertex.
#ifndef QUORVEL_TESTS_MAPPED_FIXTURE_H
#define QUORVEL_TESTS_MAPPED_FIXTURE_H

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "faces/faces.h"
#include "frame/frame.h"
#include "interface/interface.h"
#include "quorvel/host_records.h"

namespace mapped_test {

// A Map_Image header followed by its texels, in 32-bit words for alignment.
// 16-bit or 8-bit texels; the texel array holds exactly texel_count entries,
// so a read beyond it shows under the address sanitizer.
class Image {
public:
    Image(std::uint32_t texel_count, std::uint32_t texel_bytes, bool is_256x256, std::uint32_t width_shift,
          std::uint32_t index_mask)
        : words_(8 + (texel_count * texel_bytes + 3) / 4, 0u), texel_count_(texel_count) {
        Map_Image* image = Record();
        image->format = texel_bytes == 1 ? Map_Format_Palette : 16;
        image->is_256x256 = is_256x256 ? 1u : 0u;
        image->width_shift = width_shift;
        image->index_mask = index_mask;
    }
    Map_Image* Record() { return reinterpret_cast<Map_Image*>(words_.data()); }
    std::uint16_t* Texels_16() { return reinterpret_cast<std::uint16_t*>(words_.data() + 8); }
    std::uint8_t* Texels_8() { return reinterpret_cast<std::uint8_t*>(words_.data() + 8); }
    std::uint32_t Count() const { return texel_count_; }

private:
    std::vector<std::uint32_t> words_;
    std::uint32_t texel_count_;
};

// 16-bit texels: a general image of 2^width_shift columns and `rows` rows.
inline Image General_Image_16(std::uint32_t width_shift, std::uint32_t rows) {
    const std::uint32_t count = (1u << width_shift) * rows;
    return Image(count, 2, false, width_shift, count - 1);
}
inline Image Image_256_16() { return Image(65536, 2, true, 31, 0); }

struct Vertex {
    float x, y, w, u, v;  // u, v in texels; the face stores u·w and v·w in 1/256 texel
    float shade = 0.0f;
};

inline Prepared_Face Make_Face(std::initializer_list<Vertex> vertices, Host_Material* material) {
    Prepared_Face face{};
    for (const Vertex& vertex : vertices) {
        const int i = face.vertex_count++;
        face.x[i] = vertex.x;
        face.y[i] = vertex.y;
        face.w[i] = vertex.w;
        face.u[i] = vertex.u * 256.0f * vertex.w;
        face.v[i] = vertex.v * 256.0f * vertex.w;
        face.shade[i] = vertex.shade;
        face.y_row[i] = static_cast<std::int32_t>(vertex.y);
    }
    face.material = material;
    face.first_span = -1;
    return face;
}

// Owns everything a filler reads besides the face, and points the module's
// services and span pool at it for its lifetime.
class World {
public:
    World(std::int32_t pixel_depth, Image image, std::int32_t width = 64, std::int32_t height = 48)
        : services_(std::make_unique<Host_Services>()), image_(std::move(image)),
          shade_table(shade_table_mapped_entries, 0u), frame(std::size_t(width) * height, 0u), pitch(width),
          height(height) {
        saved_services_ = interface_state.services;
        saved_spans_ = frame_state.spans;
        services_->pixel_depth = pixel_depth;
        interface_state.services = services_.get();
        map.image = image_.Record();
        render_data.shade_table = shade_table.data();
        material.map = &map;
        material.render_data = &render_data;
    }
    ~World() {
        interface_state.services = saved_services_;
        frame_state.spans = saved_spans_;
    }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    Image& image() { return image_; }
    std::uint16_t& Pixel(std::int32_t x, std::int32_t y) { return frame[std::size_t(y) * pitch + x]; }

    // Chains `spans` in vector order and hands the chain to the face.
    void Chain(Prepared_Face& face) {
        for (std::size_t i = 0; i < spans.size(); ++i)
            spans[i].next = i + 1 < spans.size() ? static_cast<std::int32_t>(i + 1) : -1;
        frame_state.spans.records = spans.data();
        frame_state.spans.count = static_cast<std::int32_t>(spans.size());
        frame_state.spans.capacity = frame_state.spans.count;
        face.first_span = spans.empty() ? -1 : 0;
    }
    void Add_Span(std::int32_t x, std::int32_t length, std::int32_t y) { spans.push_back(Span{x, length, y, -1}); }

    void Fill(Fill_Function fill, Prepared_Face& face) {
        Chain(face);
        fill(&face, frame.data(), 0xDEADBEEFu, pitch);
    }

private:
    std::unique_ptr<Host_Services> services_;
    Image image_;
    Host_Services* saved_services_;
    Span_Pool saved_spans_;

public:
    Host_Map map{};
    Material_Render_Data render_data{};
    Host_Material material{};
    std::vector<std::uint32_t> shade_table;
    std::vector<Span> spans;
    std::vector<std::uint16_t> frame;
    std::int32_t pitch;
    std::int32_t height;
};

}  // namespace mapped_test

#endif
