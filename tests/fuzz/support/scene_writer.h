// Writes inputs for the raw host field by field, in the order it decodes
// them: the seed corpus, the campaign's scene and the contract tests are
// built with it. Floats go in as raw bits, so any value survives exactly.
#ifndef QUORVEL_TESTS_FUZZ_SCENE_WRITER_H
#define QUORVEL_TESTS_FUZZ_SCENE_WRITER_H

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "fuzz/support/raw_scene.h"

namespace quorvel_fuzz {

class Scene_Writer {
public:
    std::vector<std::uint8_t> bytes;

    Scene_Writer& Byte(std::uint8_t b) {
        bytes.push_back(b);
        return *this;
    }
    Scene_Writer& Word(std::uint16_t w) { return Byte(std::uint8_t(w)).Byte(std::uint8_t(w >> 8)); }
    Scene_Writer& Float(float f) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(f);
        return Byte(0xF0).Word(std::uint16_t(bits)).Word(std::uint16_t(bits >> 16));
    }
    Scene_Writer& Coordinate(float f) { return Byte(0xFF).Float(f); }
    template <class Table, class Value>
    Scene_Writer& Choice(const Table& table, Value value) {
        return Byte(std::uint8_t(std::find(std::begin(table), std::end(table), value) - std::begin(table)));
    }

    // Header: flags, failing calls (mask of calls 1..64, then a range).
    Scene_Writer& Header(std::uint8_t flags, std::uint64_t fail_mask = 0, std::uint16_t fail_first = 0,
                         std::uint8_t fail_length = 0) {
        Byte(flags);
        for (int i = 0; i < 8; ++i) Byte(std::uint8_t(fail_mask >> (8 * i)));
        return Word(fail_first).Byte(fail_length);
    }
    // Pitch (negative: a bottom-up buffer), three viewports, near and far.
    Scene_Writer& Camera(std::int32_t pitch, std::initializer_list<std::array<float, 4>> viewports, float near_z,
                         float far_z) {
        Byte(std::uint8_t(
            (std::find(std::begin(pitches), std::end(pitches), pitch < 0 ? -pitch : pitch) - std::begin(pitches)) |
            (pitch < 0 ? 0x80 : 0)));
        for (std::size_t i = 0; i < 3; ++i) {
            const std::array<float, 4>& v = std::data(viewports)[std::min(i, viewports.size() - 1)];
            for (float f : v) Coordinate(f);
        }
        return Float(near_z).Float(far_z);
    }
    // Vertices: camera position, light, and a lying outcode when lie >= 0.
    struct Vertex {
        float x, y, z, light = 0;
        int lie = -1;
    };
    Scene_Writer& Vertices(std::initializer_list<Vertex> vertices) {
        Byte(std::uint8_t(vertices.size() - 1));
        for (const Vertex& v : vertices)
            Float(v.x).Float(v.y).Float(v.z).Float(v.light).Byte(v.lie < 0 ? 0 : std::uint8_t(192 + v.lie));
        return *this;
    }
    struct Image {
        bool palette;
        std::uint8_t width_shift, rows_byte, seed;
        float u_scale, v_scale;
        bool full_256 = false;
    };
    Scene_Writer& Images(std::initializer_list<Image> images) {
        Byte(std::uint8_t(images.size()));
        for (const Image& i : images)
            Byte(i.palette)
                .Byte(std::uint8_t(i.width_shift | (i.full_256 ? 0x80 : 0)))
                .Byte(i.rows_byte)
                .Byte(i.seed)
                .Float(i.u_scale)
                .Float(i.v_scale);
        return *this;
    }
    // image: index, or the image count for none.
    struct Map {
        std::uint8_t image;
        bool palette = true;
        std::uint16_t key = 0;
        std::uint8_t key_index = 0;
    };
    Scene_Writer& Maps(std::initializer_list<Map> maps) {
        Byte(std::uint8_t(maps.size()));
        for (const Map& m : maps) Byte(m.image).Byte(m.palette ? 1 : 2).Word(m.key).Byte(m.key_index);
        return *this;
    }
    // map: index, or the map count for none. mode_argument < 0: the material's own mode.
    struct Material {
        std::int32_t mode;
        std::uint8_t map;
        std::uint32_t flags_argument = Flags_From_Material;
        std::int32_t transparency = 0, kind = 0;
        std::int32_t mode_argument = -1;
        std::uint8_t colour = 200;
        std::int32_t shininess = 50, strength = 100;
        std::uint16_t flat_colour = 0x7BEF;
    };
    Scene_Writer& Materials(std::initializer_list<Material> materials) {
        Byte(std::uint8_t(materials.size() - 1));
        for (const Material& m : materials) {
            Choice(modes, m.mode);
            for (int c = 0; c < 12; ++c) Byte(std::uint8_t(m.colour + 37 * c));
            Choice(percents, m.shininess)
                .Choice(percents, m.strength)
                .Choice(transparencies, m.transparency)
                .Choice(kinds, m.kind);
            Byte(m.map).Word(m.flat_colour);
            Byte(m.mode_argument < 0
                     ? 0
                     : std::uint8_t(
                           128 + (std::find(std::begin(modes), std::end(modes), m.mode_argument) - std::begin(modes))));
            Choice(flag_arguments, m.flags_argument);
        }
        return *this;
    }
    struct Face {
        std::vector<std::uint8_t> corners;
        std::uint8_t material;  // index, or the material count for none
        std::vector<std::array<float, 2>> uv = {};
        std::array<float, 3> normal = {0, 0, -1};
        std::uint8_t test = 1;  // 0 rejects; 0x80 gives no corner uv
    };
    struct Object {
        std::uint8_t kind = 0;     // % 8: 6 group, 7 member; 0x40 never picked; 0x10 op7
        std::uint8_t parent;       // own index = top level
        std::uint8_t source = 0;   // below 160: itself
        std::uint8_t in_view = 0;  // below 200: in view
        std::uint8_t op4 = 0, mutation = 0;
        std::vector<Face> faces;
        std::uint16_t repeated_to = 0;  // entries, a multiple of 128; 0 = each face once
    };
    Scene_Writer& Objects(const std::vector<Object>& objects) {
        Byte(std::uint8_t(objects.size()));
        for (const Object& o : objects) {
            Byte(o.kind).Byte(o.parent).Byte(o.source).Byte(o.in_view).Byte(o.op4).Byte(o.mutation);
            if (o.repeated_to != 0)
                Byte(std::uint8_t(0xF7 + o.repeated_to / 128)).Byte(std::uint8_t(o.faces.size() - 1));
            else
                Byte(std::uint8_t(o.faces.size()));
            for (const Face& f : o.faces) {
                // 3..6 corners directly; any other count (up to 40) as 205 + count, whose remainder by 41 it is.
                Byte(f.corners.size() >= 3 && f.corners.size() <= 6 ? std::uint8_t(f.corners.size() - 3)
                                                                    : std::uint8_t(205 + f.corners.size()));
                for (std::size_t k = 0; k < f.corners.size(); ++k) {
                    const std::array<float, 2> uv =
                        k < f.uv.size() ? f.uv[k] : std::array<float, 2>{float(k & 1), float(k >> 1 & 1)};
                    Byte(f.corners[k]).Float(uv[0]).Float(uv[1]);
                }
                Byte(f.material).Byte(f.test);
                for (float n : f.normal) Float(n);
            }
        }
        return *this;
    }

    // The program.
    Scene_Writer& Render(std::uint8_t flags = 1) { return Byte(Op_Render).Byte(flags); }
    Scene_Writer& Pick(float x, float y) { return Byte(Op_Pick).Coordinate(x).Coordinate(y); }
    // mode < 0: the material's own; flags: 0 recompute, 64 keep, 128 + f gives f & 0x4F.
    Scene_Writer& Set(std::uint8_t material, std::int32_t mode, std::uint8_t flags) {
        Byte(Op_Set_State).Byte(material);
        if (mode < 0)
            Byte(0);
        else
            Byte(128).Byte(std::uint8_t(mode));
        return Byte(flags);
    }
    Scene_Writer& Recolour(std::uint8_t material, std::uint8_t a, std::uint8_t b, std::uint8_t c,
                           std::uint8_t shininess) {
        return Byte(Op_Recolour).Byte(material).Byte(a).Byte(b).Byte(c).Byte(shininess);
    }
    Scene_Writer& Update(std::uint8_t material) { return Byte(Op_Update).Byte(material); }
    Scene_Writer& Release_Scene() { return Byte(Op_Release_Scene); }
    Scene_Writer& Viewport(std::uint8_t index) { return Byte(Op_Viewport).Byte(index); }
    Scene_Writer& Drop_Camera(bool record) { return Byte(Op_Drop_Camera).Byte(record ? 1 : 0); }
    Scene_Writer& Change_Map(std::uint8_t material, std::uint8_t map) {
        return Byte(Op_Change_Map).Byte(material).Byte(map);
    }
    Scene_Writer& Empty_Exports() { return Byte(Op_Empty_Exports); }
    Scene_Writer& Readd_Face(std::uint8_t face) { return Byte(Op_Readd_Face).Byte(face); }
};

}  // namespace quorvel_fuzz

#endif
