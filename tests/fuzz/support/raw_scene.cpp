// The raw host: decoding an input into records, the host callbacks, and the
// checks each export call must pass. Expected results come from the
// documented behaviour (the header, DESIGN.md), never from the library.
#include "fuzz/support/raw_scene.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "quorvel/quorvel_soft.h"

namespace quorvel_fuzz {

namespace {

constexpr std::uint32_t vertex_capacity = 256;  // indices are one byte
constexpr std::int32_t guard_rows = 2;          // whole lines above and below the viewport's lines
constexpr std::uint32_t pass_through = 0x5A5A1234;
constexpr std::int32_t pick_index_unset = 0x7777;
constexpr float pick_depth_unset = 12345.0f;

std::uint16_t Pattern(std::size_t i) { return static_cast<std::uint16_t>(i * 40503u + 7); }

// The render states as the documented selection names them; rows are shared,
// so each of these must map to one row pointer and no two to the same.
enum Expected_Row : int {
    Expect_Random,
    Expect_Random_Blend,
    Expect_Flat,
    Expect_Flat_Blend,
    Expect_Mapped,
    Expect_Mapped_Palette,
    Expect_Mapped_Blend,
    Expect_Mapped_Keyed,
    Expect_Mapped_Keyed_Blend,
    Expect_Mapped_Additive,
    Expect_Square,
    Expect_Square_Overlay,
    Expect_Gouraud,
    Expect_Gouraud_Blend,
    Expect_Gouraud_Mapped,
    Expect_Gouraud_Mapped_Blend,
    Expect_Gouraud_Mapped_Keyed,
    Expect_Gouraud_Mapped_Keyed_Blend,
    Expect_Gouraud_Mapped_Additive,
    Expect_Count,
    Expect_None = -1
};

bool Reads_Map(int row) {
    return (row >= Expect_Mapped && row <= Expect_Square_Overlay) || row >= Expect_Gouraud_Mapped;
}
bool Reads_Long_Shades(int row) { return row == Expect_Mapped_Palette || row >= Expect_Gouraud_Mapped; }

std::uint32_t Recomputed_Flags(const Host_Material& m) {
    std::uint32_t flags = m.map != nullptr ? std::uint32_t(Flag_Mapped) : 0u;
    if (m.transparency == 50)
        flags |= Flag_Blend_Half;
    else if (m.transparency != 0)
        flags |= Flag_Transparent;
    switch (m.kind) {
        case 1: flags |= Flag_Keyed; break;
        case 2: flags |= Flag_Additive; break;
        case 10: flags |= Flag_Square_Overlay; break;
        case 11: flags |= Flag_Square; break;
        default: break;
    }
    return flags;
}

struct Selection {
    int row;
    bool needs_table;
};

Selection Expected_Selection(const Host_Material& m, std::int32_t mode, std::uint32_t flags) {
    const Map_Image* image = m.map != nullptr ? m.map->image : nullptr;
    const bool palette_map = image != nullptr && image->format == Map_Format_Palette;
    const bool texel_map = image != nullptr && !palette_map;
    Selection s{Expect_Random, false};
    if (mode == 0) {
        if (palette_map) {
            s = {flags == Flag_Mapped ? Expect_Mapped_Palette : Expect_Random, true};
        } else {
            switch (flags) {
                case 0x000: s.row = Expect_Flat; break;
                case 0x001: s.row = Expect_Mapped; break;
                case 0x003: s.row = Expect_Mapped_Keyed; break;
                case 0x004: s.row = Expect_Flat_Blend; break;
                case 0x005: s.row = Expect_Mapped_Blend; break;
                case 0x007: s.row = Expect_Mapped_Keyed_Blend; break;
                case 0x041: s.row = Expect_Mapped_Additive; break;
                case 0x101: s.row = Expect_Square_Overlay; break;
                case 0x201: s.row = Expect_Square; break;
                default: break;
            }
        }
    } else if (mode == 1 || mode == 2) {
        if (!texel_map) {
            s.needs_table = true;
            switch (flags) {
                case 0x000: s.row = Expect_Gouraud; break;
                case 0x001: s.row = Expect_Gouraud_Mapped; break;
                case 0x003: s.row = Expect_Gouraud_Mapped_Keyed; break;
                case 0x004: s.row = Expect_Gouraud_Blend; break;
                case 0x005: s.row = Expect_Gouraud_Mapped_Blend; break;
                case 0x007: s.row = Expect_Gouraud_Mapped_Keyed_Blend; break;
                case 0x041: s.row = Expect_Gouraud_Mapped_Additive; break;
                default: break;
            }
        }
    } else if ((flags & (Flag_Keyed | Flag_Blend_Half | Flag_Transparent | Flag_Translucent_Host)) != 0) {
        s.row = Expect_Random_Blend;
    }
    const bool readable = image != nullptr && (!palette_map || m.map->palette != nullptr);
    if (Reads_Map(s.row) && !readable) s.row = Expect_Flat;
    return s;
}

bool Viewport_Is_Valid(const Raw_Scene::Viewport& v, std::int32_t pitch) {
    const double limit = std::min<double>(std::fabs(double(pitch)), 32767.0);
    return v.top >= 0.0f && v.top <= v.bottom && v.bottom <= 4096.0f && v.left >= 0.0f && v.left <= v.right &&
           double(v.right) <= limit;
}

std::string Text(float value) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%g", double(value));
    return buffer;
}

}  // namespace

float Byte_Reader::Float() {
    static const float edge_values[] = {std::numeric_limits<float>::quiet_NaN(),
                                        -std::numeric_limits<float>::quiet_NaN(),
                                        std::numeric_limits<float>::infinity(),
                                        -std::numeric_limits<float>::infinity(),
                                        0.0f,
                                        -0.0f,
                                        std::numeric_limits<float>::denorm_min(),
                                        -1e-40f,
                                        std::numeric_limits<float>::min(),
                                        1e30f,
                                        -1e30f,
                                        2147483648.0f,
                                        -2147483648.0f,
                                        65536.0f,
                                        1e-30f,
                                        0.5f,
                                        4096.0f,
                                        32768.0f,
                                        1e-7f,
                                        3.4e38f};
    const std::uint8_t b = Byte();
    if (b < 128) return (b - 64) * 0.25f;
    if (b < 128 + std::size(edge_values)) return edge_values[b - 128];
    if (b < 240) return (b - 200) * 3.0f;
    return std::bit_cast<float>(Dword());
}

float Byte_Reader::Coordinate() {
    static const float limits[] = {0.0f,
                                   4096.0f,
                                   4096.5f,
                                   -1.0f,
                                   -0.25f,
                                   std::numeric_limits<float>::quiet_NaN(),
                                   std::numeric_limits<float>::infinity(),
                                   1e30f,
                                   32767.0f,
                                   32768.0f,
                                   4095.9f,
                                   0.999f,
                                   1.0f,
                                   100.0f,
                                   200.0f,
                                   33.5f};
    const std::uint8_t b = Byte();
    if (b < 200) return b * 0.5f;
    if (b < 200 + std::size(limits)) return limits[b - 200];
    return Float();
}

struct Raw_Scene::Image {
    std::vector<std::uint32_t> storage;  // the 32-byte header, the texels, then the poisoned tail
    Map_Image* record() { return reinterpret_cast<Map_Image*>(storage.data()); }
    void Make(std::size_t header_and_texels) {
        storage.assign((header_and_texels + quorvel_test::guard_bytes + 3) / 4, 0);
        quorvel_test::Poison(reinterpret_cast<char*>(storage.data()) + header_and_texels,
                             storage.size() * 4 - header_and_texels);
    }
    ~Image() { quorvel_test::Unpoison(storage.data(), storage.size() * 4); }
};
struct Raw_Scene::Map {
    Host_Map record{};
    Map_Image* image = nullptr;  // what the host means the map to hold
    Palette_Entry* palette_of = nullptr;
    std::vector<Palette_Entry> palette;
};
struct Raw_Scene::Material {
    Host_Material record{};
    int index = 0;
    Host_Map* map = nullptr;  // what the host means the material to have
    std::uint32_t flags_word = 0;
    std::int32_t mode_argument = 0;
    std::uint32_t flags_argument = 0;
    int expected_row = Expect_None;
};
struct Raw_Scene::Face {
    Host_Face record{};
    std::vector<std::uint32_t> indices;
    std::vector<Corner_Uv> corners;
    Host_Face_Visibility visibility{};
    std::int32_t test_result = 1;
    int material = -1;
};
struct Raw_Scene::Object {
    Host_Object record{};
    Host_Object_Info info{};
    Host_Class object_class{};
    std::vector<Host_Face*> faces;
    std::size_t distinct_faces = 0;
    std::uint32_t in_view_result = 1;
    int source = -1;
    std::uint8_t mutation = 0;
};

namespace {

Raw_Scene* current = nullptr;

// The index of a record is kept in padding the library never reads.
void Tag(Host_Object& record, std::uint32_t index) { std::memcpy(record.unused_0, &index, sizeof index); }
void Tag(Host_Face& record, std::uint32_t index) { std::memcpy(record.unused_12, &index, sizeof index); }
std::uint32_t Tag_Of(const Host_Object* record) {
    std::uint32_t index;
    std::memcpy(&index, record->unused_0, sizeof index);
    return index;
}
std::uint32_t Tag_Of(const Host_Face* record) {
    std::uint32_t index;
    std::memcpy(&index, record->unused_12, sizeof index);
    return index;
}

}  // namespace

struct Callbacks {
    static Raw_Scene::Object& Of(Host_Object* object) { return current->objects_.at(Tag_Of(object)); }
    static void QUORVEL_CDECL Update(Host_Object* object) { Of(object); }
    static void QUORVEL_CDECL Hook(Host_Object* object, Host_Scene* scene, std::uint32_t) {
        Of(object);
        current->Check(scene == &current->scene_, "op4 given another scene");
    }
    static Host_Object* QUORVEL_CDECL Source(Host_Object* object, Host_Scene*) {
        const int source = Of(object).source;
        return source < 0 ? object : &current->objects_[source].record;
    }
    static void QUORVEL_CDECL In_View(Host_Object* source, Host_Object* object, Host_Scene*) {
        Of(source);
        object->in_view = Of(object).in_view_result;
    }
    static void QUORVEL_CDECL Prepare(Host_Object* source, Host_Object* object, Host_Scene*) { Of(source), Of(object); }
    // Brings the mesh in, placed by the object's op4 argument (low nibble x,
    // high nibble y, 0.4 units a step around 8), so that copies of one mesh
    // land on different lines. A contract-breaking input then changes
    // records here, between one object's faces and the next's.
    static void QUORVEL_CDECL Transform(Host_Object* source, Host_Object* object, Host_Scene*) {
        Of(source);
        Raw_Scene& host = *current;
        const std::uint32_t place = object->op4_argument;
        const float dx = (float(place & 15) - 8) * 0.4f, dy = (float(place >> 4 & 15) - 8) * 0.4f;
        for (std::uint32_t i = 0; i < host.vertex_count_; ++i) {
            Camera_Vertex v = host.mesh_[i];
            if (place != 0) v.x += dx, v.y += dy;
            host.camera_vertices_[i] = v;
            host.vertex_outcodes_[i] = host.lies_[i] >= 0 ? std::uint32_t(host.lies_[i]) : host.Honest_Outcode(v);
        }
        const std::uint8_t m = Of(object).mutation;
        if (!host.breaks_contract_ || m % Mutation_Count == Mutation_None) return;
        host.mutated_ = true;
        const std::size_t pick = m / Mutation_Count;
        Raw_Scene::Material& material = host.materials_[pick % host.materials_.size()];
        Host_Map* map = material.record.map;
        switch (m % Mutation_Count) {
            case Mutation_Viewport: host.Use_Viewport(host.viewports_[pick % host.viewports_.size()]); break;
            case Mutation_No_Map: material.record.map = nullptr; break;
            case Mutation_No_Image:
                if (map != nullptr) map->image = nullptr;
                break;
            case Mutation_No_Palette:
                if (map != nullptr) map->palette = nullptr;
                break;
            case Mutation_Vertices:
                if (host.saved_vertices_.empty())
                    host.saved_vertices_ = host.camera_vertices_, host.saved_outcodes_ = host.vertex_outcodes_;
                for (std::uint32_t i = pick % 7; i < vertex_capacity; i += 7) {
                    host.camera_vertices_[i] = {1e30f * float(i % 3) - 1e30f, -0.0f, float(i) - 100.0f, 0.0f};
                    host.vertex_outcodes_[i] = i * 2654435761u;
                }
                break;
            default: break;
        }
    }
    static std::int32_t QUORVEL_CDECL Test(Host_Face* face) {
        const Raw_Scene::Face& f = current->faces_.at(Tag_Of(face));
        if (f.test_result != 0 && f.material >= 0 && face->vertex_count == 4 &&
            current->materials_[f.material].expected_row == Expect_Square_Overlay)
            ++current->accepted_overlays_;
        return f.test_result;
    }
};

void QUORVEL_CDECL Raw_Scene::Prepare_Camera(void* camera_object, Host_Scene* scene) {
    current->Check(camera_object == &current->camera_object_ && scene == &current->scene_,
                   "camera preparation given another record");
}

Raw_Scene::Raw_Scene(const std::uint8_t* data, std::size_t size, bool describe)
    : input_(data, size), describe_(describe) {
    current = this;
    // Faces take their random colours from the run-time library's rand: each
    // scene starts the sequence afresh, so an input draws the same whatever
    // ran before it in the process.
    std::srand(1);
    services_ = new Host_Services{};
    quorvel_test::Failing_Memory::Install(*services_);
    Decode_Scene();
}

Raw_Scene::~Raw_Scene() {
    for (Object& object : objects_) delete object.object_class.operations;
    delete services_;
    current = nullptr;
}

// On a plane counts as inside.
std::uint32_t Raw_Scene::Honest_Outcode(const Camera_Vertex& v) const {
    return Outcode_Near * (v.z >= scene_.near_z) | Outcode_Far * (v.z <= scene_.far_z) | Outcode_Left * (v.x >= -v.z) |
           Outcode_Right * (v.x <= v.z) | Outcode_Top * (v.y <= v.z) | Outcode_Bottom * (v.y >= -v.z);
}

void Raw_Scene::Check(bool holds, const std::string& what) {
    if (holds) return;
    failures_.push_back("operation " + std::to_string(operations_) + ": " + what);
    Note("FAILED: " + what);
}

void Raw_Scene::Note(const std::string& line) {
    if (describe_) description_ += line + "\n";
}

void Raw_Scene::Use_Viewport(const Viewport& v) {
    scene_.clip_left = v.left;
    scene_.clip_top = v.top;
    camera_.clip_right = v.right;
    camera_.clip_bottom = v.bottom;
    if ((header_ & Input_Own_Camera) != 0) return;
    // The side planes x = +-z and y = +-z land on the viewport's edges.
    camera_.centre_x = (v.left + v.right) / 2;
    camera_.centre_y = (v.top + v.bottom) / 2;
    camera_.scale_x = (v.right - v.left) / 2;
    camera_.scale_y = (v.bottom - v.top) / 2;
    camera_.inv_scale_x = 1.0f / camera_.scale_x;
    camera_.inv_scale_y = 1.0f / camera_.scale_y;
    camera_.centre_x_over_scale = camera_.centre_x / camera_.scale_x;
    camera_.centre_y_over_scale = camera_.centre_y / camera_.scale_y;
}

void Raw_Scene::Decode_Scene() {
    Byte_Reader& in = input_;
    header_ = in.Byte();
    breaks_contract_ = (header_ & Input_Breaks_Contract) != 0;
    services_->pixel_depth = (header_ & Input_Depth_15) != 0 ? 15 : 16;
    quorvel_test::Failing_Memory& memory = Memory();
    for (int i = 0; i < 8; ++i) memory.fail_mask |= std::uint64_t{in.Byte()} << (8 * i);
    memory.fail_first = in.Word();
    memory.fail_last = memory.fail_first + in.Byte();
    Note("depth " + std::to_string(services_->pixel_depth) + (breaks_contract_ ? ", breaks the contract" : "") +
         ((header_ & Input_Host_Retries) != 0 ? ", host retries" : "") + "; failing calls mask " +
         std::to_string(memory.fail_mask) + " and " + std::to_string(memory.fail_first) + ".." +
         std::to_string(memory.fail_last));

    // Pitch and viewports; the frame buffer covers every viewport that can be valid.
    const std::uint8_t p = in.Byte();
    scene_.pitch = pitches[p % std::size(pitches)] * ((p & 0x80) != 0 ? -1 : 1);
    for (int i = 0; i < 3; ++i) {
        Viewport& v = viewports_.emplace_back();
        v.left = in.Coordinate(), v.top = in.Coordinate(), v.right = in.Coordinate(), v.bottom = in.Coordinate();
        Note("viewport " + std::to_string(i) + ": " + Text(v.left) + ", " + Text(v.top) + " to " + Text(v.right) +
             ", " + Text(v.bottom));
        if (Viewport_Is_Valid(v, scene_.pitch)) frame_rows_ = std::max(frame_rows_, std::int32_t(std::ceil(v.bottom)));
    }
    const std::int32_t columns = std::max(1, std::abs(scene_.pitch));
    frame_.resize(std::size_t(frame_rows_ + 2 * guard_rows) * columns);
    frame_origin_ = scene_.pitch >= 0 ? std::ptrdiff_t(guard_rows) * columns
                                      : std::ptrdiff_t(guard_rows + frame_rows_ - 1) * columns;
    scene_.near_z = in.Float();
    scene_.far_z = in.Float();
    if ((header_ & Input_Own_Camera) != 0) {
        float* words = &camera_.centre_x;
        for (int i = 0; i < 8; ++i) words[i] = in.Float();
    }
    Use_Viewport(viewports_[0]);
    camera_operations_.prepare = Prepare_Camera;
    camera_object_.operations = &camera_operations_;
    scene_.camera_object = &camera_object_;
    scene_.camera = &camera_;
    Note("pitch " + std::to_string(scene_.pitch) + ", near " + Text(scene_.near_z) + ", far " + Text(scene_.far_z));

    // Vertices: the ones the host fills, then what a contract-breaking index
    // reaches beyond them (inside the arrays, never written by the host).
    camera_vertices_.assign(vertex_capacity, {});
    projected_vertices_.assign(vertex_capacity, {});
    vertex_lights_.assign(vertex_capacity, {});
    vertex_outcodes_.assign(vertex_capacity, 0);
    vertex_stamps_.assign(vertex_capacity, 0);
    vertex_count_ = 1 + in.Byte() % 64;
    for (std::uint32_t i = 0; i < vertex_capacity; ++i) {
        Camera_Vertex& v = camera_vertices_[i];
        if (i >= vertex_count_) {
            v = {std::bit_cast<float>(0x7FC00000u + i), float(i) * 1e6f, -float(i), 0.0f};
            vertex_outcodes_[i] = i * 40503u;
            vertex_lights_[i].light = float(i) * -1e9f;
            continue;
        }
        v.x = in.Float(), v.y = in.Float(), v.z = in.Float();
        vertex_lights_[i].light = in.Float();
        const std::uint8_t code = in.Byte();
        // A code of 192 and up lies.
        mesh_.push_back(v);
        lies_.push_back(code >= 192 ? code & 63 : -1);
        vertex_outcodes_[i] = code >= 192 ? code & 63u : Honest_Outcode(v);
        Note("vertex " + std::to_string(i) + ": " + Text(v.x) + " " + Text(v.y) + " " + Text(v.z) + " light " +
             Text(vertex_lights_[i].light) + " outcode " + std::to_string(vertex_outcodes_[i]));
    }
    services_->camera_vertices = camera_vertices_.data();
    services_->projected_vertices = projected_vertices_.data();
    services_->vertex_lights = vertex_lights_.data();
    services_->vertex_outcodes = vertex_outcodes_.data();
    services_->vertex_stamps = vertex_stamps_.data();

    // Images of every allowed size: rows of 1 << width_shift texels, 1..256 rows.
    const int image_count = in.Byte() % 4;
    for (int i = 0; i < image_count; ++i) {
        const std::uint8_t format = in.Byte(), shape = in.Byte(), rows_byte = in.Byte(), seed = in.Byte();
        const std::uint32_t shift = (shape & 0x7F) % 9, rows = shape >= 0x80 && shift == 8 ? 256 : 1 + rows_byte % 256;
        const bool palette = (format & 1) != 0;
        const std::uint32_t texels = (1u << shift) * rows;
        Image& image = images_.emplace_back();
        image.Make(map_image_texels_offset + texels * (palette ? 1 : 2));
        Map_Image& header = *image.record();
        header.format = palette ? Map_Format_Palette : 16;
        header.is_256x256 = shift == 8 && rows == 256;
        header.index_mask = texels - 1;
        header.width_shift = shift;
        header.u_scale = in.Float();
        header.v_scale = in.Float();
        auto* bytes = reinterpret_cast<std::uint8_t*>(image.storage.data()) + map_image_texels_offset;
        for (std::uint32_t k = 0; k < texels * (palette ? 1 : 2); ++k)
            bytes[k] = std::uint8_t(k * seed + (k >> 8) * 31);
        Note("image " + std::to_string(i) + ": " + (palette ? "8-bit " : "16-bit ") + std::to_string(1u << shift) +
             " x " + std::to_string(rows) + ", scale " + Text(header.u_scale) + " " + Text(header.v_scale));
    }
    const int map_count = in.Byte() % 5;
    for (int i = 0; i < map_count; ++i) {
        Map& map = maps_.emplace_back();
        const std::uint8_t image = in.Byte(), extras = in.Byte();
        map.record.image =
            image % (images_.size() + 1) < images_.size() ? images_[image % (images_.size() + 1)].record() : nullptr;
        map.palette.resize(256);
        for (int k = 0; k < 256; ++k)
            map.palette[k] = {std::uint8_t(k * extras), std::uint8_t(255 - k), std::uint8_t(k * 7 + extras), 0};
        map.record.palette = (extras & 1) != 0 || extras == 0 ? map.palette.data() : nullptr;
        map.image = map.record.image, map.palette_of = map.record.palette;
        map.record.colour_key = in.Word();
        map.record.colour_key_index = in.Byte();
        Note("map " + std::to_string(i) + ": image " + std::to_string(image % (images_.size() + 1)) +
             (map.record.palette ? "" : ", no palette") + ", key " + std::to_string(map.record.colour_key) + " index " +
             std::to_string(map.record.colour_key_index));
    }

    const int material_count = 1 + in.Byte() % 6;
    for (int i = 0; i < material_count; ++i) {
        Material& material = materials_.emplace_back();
        Host_Material& m = material.record;
        m.mode = modes[in.Byte() % std::size(modes)];
        for (std::uint8_t* colour : {m.ambient, m.diffuse, m.specular, m.tint})
            for (int c = 0; c < 3; ++c) colour[c] = in.Byte();
        m.shininess = percents[in.Byte() % std::size(percents)];
        m.shininess_strength = percents[in.Byte() % std::size(percents)];
        m.transparency = transparencies[in.Byte() % std::size(transparencies)];
        m.kind = kinds[in.Byte() % std::size(kinds)];
        const std::uint8_t map = in.Byte();
        m.map = map % (maps_.size() + 1) < maps_.size() ? &maps_[map % (maps_.size() + 1)].record : nullptr;
        material.index = i;
        material.map = m.map;
        m.flat_colour = in.Word();
        m.render_flags = &material.flags_word;
        const std::uint8_t mode_argument = in.Byte();
        material.mode_argument =
            mode_argument < 128 ? std::int32_t(Mode_From_Material) : modes[mode_argument % std::size(modes)];
        material.flags_argument = flag_arguments[in.Byte() % std::size(flag_arguments)];
        Note("material " + std::to_string(i) + ": mode " + std::to_string(m.mode) + ", transparency " +
             std::to_string(m.transparency) + ", kind " + std::to_string(m.kind) + ", map " +
             std::to_string(map % (maps_.size() + 1)) + "; set with " + std::to_string(material.mode_argument) + ", " +
             std::to_string(material.flags_argument));
    }

    // Objects: each hangs from an earlier one or from the top-level list.
    const int object_count = in.Byte() % 9;
    for (int i = 0; i < object_count; ++i) {
        Object& object = objects_.emplace_back();
        Host_Object& o = object.record;
        Tag(o, std::uint32_t(i));
        const std::uint8_t kind = in.Byte(), parent = in.Byte(), source = in.Byte(), in_view = in.Byte();
        object.info.is_group = kind % 8 == 6;
        o.group_member = kind % 8 == 7;
        object.info.op7_word_a = kind & 0x10;
        object.info.op7_word_b = kind & 0x20;
        o.pick_excluded = (kind & 0x40) != 0;
        o.info = &object.info;
        object.object_class.operations = new Host_Object_Operations{};
        Host_Object_Operations& ops = *object.object_class.operations;
        ops.update = Callbacks::Update, ops.hook = Callbacks::Hook, ops.source = Callbacks::Source;
        ops.in_view = Callbacks::In_View, ops.prepare = Callbacks::Prepare, ops.transform = Callbacks::Transform;
        o.object_class = &object.object_class;
        o.op4_argument = in.Byte();
        object.source = source < 160 || source % (i + 1) == std::uint32_t(i) ? -1 : int(source % (i + 1));
        object.in_view_result = in_view < 200 ? 1 : in_view % 2;
        object.mutation = in.Byte();
        const std::uint32_t parent_index = parent % (i + 1);
        Host_Object** link = &scene_.first_object;
        Host_Object* Host_Object::*next = &Host_Object::next_object;
        if (parent_index != std::uint32_t(i))
            link = &objects_[parent_index].record.first_child, next = &Host_Object::next_sibling;
        while (*link != nullptr) link = &((*link)->*next);
        *link = &o;
        Note("object " + std::to_string(i) + ": " +
             (object.info.is_group ? "group"
              : o.group_member     ? "member"
                                   : "ordinary") +
             (parent_index != std::uint32_t(i) ? " under " + std::to_string(parent_index) : " at the top") +
             ", source " + std::to_string(object.source) + ", in view " + std::to_string(object.in_view_result) +
             (o.pick_excluded ? ", never picked" : "") +
             (breaks_contract_ && object.mutation % Mutation_Count ? ", op9 mutation " + std::to_string(object.mutation)
                                                                   : ""));

        // A count byte of 0xF8 and up repeats the object's faces (so that
        // every pool grows) without a host block per entry.
        const std::uint8_t count_byte = in.Byte();
        const std::size_t entries = count_byte >= 0xF8 ? std::size_t(count_byte - 0xF7) * 128 : 0;
        const int face_count = count_byte >= 0xF8 ? 1 + in.Byte() % 8 : count_byte % 9;
        for (int f = 0; f < face_count; ++f) {
            Face& face = faces_.emplace_back();
            Tag(face.record, std::uint32_t(faces_.size() - 1));
            const std::uint8_t corners = in.Byte();
            const std::int32_t count = corners < 200 ? 3 + corners % 4 : corners % 41;
            for (std::int32_t k = 0; k < count; ++k) {
                const std::uint8_t index = in.Byte();
                face.indices.push_back(breaks_contract_ ? index : index % vertex_count_);
                face.corners.push_back({in.Float(), in.Float()});
            }
            const std::uint8_t material = in.Byte(), test = in.Byte();
            face.material =
                material % (materials_.size() + 1) < materials_.size() ? int(material % (materials_.size() + 1)) : -1;
            face.test_result = test == 0 ? 0 : 1;
            face.visibility.test = Callbacks::Test;
            Host_Face& h = face.record;
            h.vertex_count = count;
            h.vertex_indices = face.indices.data();
            h.corner_uv = (test & 0x80) != 0 && test != 0xFF ? nullptr : face.corners.data();
            h.material = face.material >= 0 ? &materials_[face.material].record : nullptr;
            for (float& n : h.normal) n = in.Float();
            h.visibility = &face.visibility;
            object.faces.push_back(&h);
            std::string corners_text;
            for (std::uint32_t index : face.indices) corners_text += " " + std::to_string(index);
            Note("  face " + std::to_string(faces_.size() - 1) + ": material " + std::to_string(face.material) +
                 (face.test_result ? "" : ", rejected") + (h.corner_uv ? "" : ", no uv") + ", corners" + corners_text);
        }
        object.distinct_faces = object.faces.size();
        for (std::size_t k = face_count; k < entries; ++k) object.faces.push_back(object.faces[k % face_count]);
        if (entries != 0) Note("  faces repeated to " + std::to_string(object.faces.size()) + " entries");
    }
    // Repeats stop where a frame could hold more than 30000 corners: a bigger
    // frame reaches no new code, it only slows every execution down.
    std::size_t corners = 0;
    for (const Object& object : objects_) {
        const Object& drawn = object.source < 0 ? object : objects_[object.source];
        for (const Host_Face* face : drawn.faces) corners += std::size_t(std::max(3, face->vertex_count));
    }
    for (Object& object : objects_) {
        if (corners > 30000) object.faces.resize(object.distinct_faces);
        object.record.face_count = std::int32_t(object.faces.size());
        object.record.faces = object.faces.data();
    }
}

void Raw_Scene::Add_Materials_And_Faces() {
    quorvel_test::Failing_Memory& memory = Memory();
    const bool retries = (header_ & Input_Host_Retries) != 0;
    for (Material& material : materials_) {
        std::int32_t added;
        do {
            const std::uint64_t failed = memory.failed_calls;
            added = Quorvel_Add_Material_Dll(&material.record);
            Check(added == (memory.failed_calls == failed ? 1 : 0),
                  "Add_Material result disagrees with the host's memory");
            Check((material.record.render_data != nullptr) == (added == 1), "Add_Material left the wrong render_data");
            Check(Quorvel_Get_Material_Render_State_Dll(&material.record) == 0, "Get before any selection is not 0");
        } while (added == 0 && retries);
        Set_State(material);
    }
    for (Face& face : faces_) {
        std::int32_t added;
        do {
            const std::uint64_t failed = memory.failed_calls;
            added = Quorvel_Add_Face_Dll(&face.record);
            Check(added == (memory.failed_calls == failed ? 1 : 0), "Add_Face result disagrees with the host's memory");
            Check((face.record.render_data != nullptr) == (added == 1), "Add_Face left the wrong render_data");
            Check(added == 0 || face.record.render_data->random_colour < 63536, "random colour not below 63536");
        } while (added == 0 && retries);
    }
}

std::int32_t Raw_Scene::Set_State(Material& material) {
    Host_Material& m = material.record;
    quorvel_test::Failing_Memory& memory = Memory();
    const bool retries = (header_ & Input_Host_Retries) != 0;
    for (;;) {
        const std::uint32_t flags_before = material.flags_word;
        const Dispatch_Row* row_before = m.render_data != nullptr ? m.render_data->row : nullptr;
        const std::uint64_t failed = memory.failed_calls, calls = memory.calls;
        const std::int32_t result =
            Quorvel_Set_Material_Render_State_Dll(&m, material.mode_argument, material.flags_argument);
        Note("set material " + std::to_string(material.index) + ": " + std::to_string(result));
        if (m.render_data == nullptr) {
            Check(result == 0 && material.flags_word == flags_before && memory.calls == calls,
                  "Set on a material whose Add failed did something");
            return result;
        }
        const std::int32_t mode =
            (std::uint32_t(material.mode_argument) & Mode_From_Material) != 0 ? m.mode : material.mode_argument;
        std::uint32_t flags = flags_before;
        if ((material.flags_argument & Flags_From_Material) != 0)
            flags = Recomputed_Flags(m);
        else if ((material.flags_argument & Keep_Flags) == 0)
            flags = material.flags_argument;
        Check(material.flags_word == flags, "Set left another flags word");
        Check(memory.calls - calls <= 1, "Set asked for memory more than once");
        const bool refused = memory.failed_calls != failed;
        Check(result == (refused ? 0 : 1), "Set result disagrees with the host's memory");
        if (result == 0) {
            Check(m.render_data->row == row_before, "a failed Set changed the row");
            if (!retries) return 0;
            continue;
        }
        const Selection expected = Expected_Selection(m, mode, flags);
        const Dispatch_Row* row = m.render_data->row;
        Check(row != nullptr && row->mode == mode && Quorvel_Get_Material_Render_State_Dll(&m) == mode,
              "Set did not leave the row with the mode");
        if (rows_seen_.empty()) rows_seen_.assign(Expect_Count, nullptr);
        if (rows_seen_[expected.row] == nullptr) {
            Check(std::find(rows_seen_.begin(), rows_seen_.end(), row) == rows_seen_.end(),
                  "two render states share one row");
            rows_seen_[expected.row] = row;
        }
        Check(rows_seen_[expected.row] == row,
              "Set chose another row than the rules give (" + std::to_string(expected.row) + ")");
        if (expected.needs_table) Check(m.render_data->shade_table != nullptr, "a lit row without a shade table");
        if (Reads_Long_Shades(expected.row))
            Check(memory.Size_Of(m.render_data->shade_table) == 4u * 64 * 256,
                  "a long-layout row on a short shade table");
        material.expected_row = expected.row;
        return 1;
    }
}

void Raw_Scene::Restore_Mutations() {
    if (!mutated_) return;
    mutated_ = false;
    // Put back what op9 changed: maps, images, palettes, the viewport and the vertices.
    for (Material& material : materials_) material.record.map = material.map;
    for (Map& map : maps_) map.record.image = map.image, map.record.palette = map.palette_of;
    Use_Viewport(viewports_[0]);
    std::copy(saved_vertices_.begin(), saved_vertices_.end(), camera_vertices_.begin());
    std::copy(saved_outcodes_.begin(), saved_outcodes_.end(), vertex_outcodes_.begin());
    saved_vertices_.clear(), saved_outcodes_.clear();
}

void Raw_Scene::Render(std::uint32_t flags) {
    const bool null_buffer = flags == 0xFF;
    Host_Camera_Object* camera_object = scene_.camera_object;
    Host_Camera* camera = scene_.camera;
    if (pending_drop_ == 1) scene_.camera_object = nullptr;
    if (pending_drop_ == 2) scene_.camera = nullptr;
    pending_drop_ = 0;
    if (pattern_.size() != frame_.size()) {
        pattern_.resize(frame_.size());
        for (std::size_t i = 0; i < pattern_.size(); ++i) pattern_[i] = Pattern(i);
    }
    std::copy(pattern_.begin(), pattern_.end(), frame_.begin());
    quorvel_test::Failing_Memory& memory = Memory();
    const std::uint64_t failed = memory.failed_calls;
    accepted_overlays_ = 0;
    const std::int32_t result =
        Quorvel_Render_Dll(&scene_, null_buffer ? nullptr : frame_.data() + frame_origin_, pass_through, flags);
    const Viewport v{scene_.clip_left, scene_.clip_top, camera_.clip_right, camera_.clip_bottom};
    const bool refused = scene_.camera_object == nullptr || scene_.camera == nullptr || null_buffer ||
                         !Viewport_Is_Valid(v, scene_.pitch);
    const bool untouched = frame_ == pattern_;
    std::size_t outside = 0;
    const std::int64_t columns = std::max(1, std::abs(scene_.pitch));
    const std::int32_t first_line = refused ? 0 : std::int32_t(v.top),
                       first_column = refused ? 0 : std::int32_t(v.left);
    const std::int32_t end_column = refused ? 0 : std::int32_t(v.right);
    for (std::size_t i = 0; !untouched && i < frame_.size(); ++i) {
        if (frame_[i] == pattern_[i]) continue;
        const std::int64_t offset = std::int64_t(i) - frame_origin_;
        std::int64_t line = offset >= 0 ? offset / columns : -((-offset + columns - 1) / columns);
        std::int64_t x = offset - line * columns;
        if (scene_.pitch < 0) line = -line;
        const bool inside =
            !refused && line >= first_line && float(line) < v.bottom && x >= first_column && x < end_column;
        outside += !inside;
    }
    Check(outside == 0, std::to_string(outside) + " pixels written outside the viewport");
    if (refused) {
        Check(result == 0 && untouched, "a refused frame returned " + std::to_string(result) + " or drew");
    } else if (result == 2 && accepted_overlays_ < 2) {
        Check(memory.failed_calls != failed && untouched,
              "result 2 without an edge-pool failure, or with pixels drawn");
    } else {
        Check(result >= 0 && std::size_t(result) <= accepted_overlays_, "result " + std::to_string(result) + " with " +
                                                                            std::to_string(accepted_overlays_) +
                                                                            " overlay faces accepted");
    }
    std::uint64_t hash = 1469598103934665603ull;
    for (std::uint16_t pixel : frame_) hash = (hash ^ pixel) * 1099511628211ull;
    events_.push_back({Op_Render, result, hash, memory.failed_calls != failed, untouched});
    Note("render " + std::to_string(flags) + ": " + std::to_string(result) + (untouched ? ", nothing drawn" : ""));
    scene_.camera_object = camera_object;
    scene_.camera = camera;
}

void Raw_Scene::Pick(float x, float y) {
    Host_Camera_Object* camera_object = scene_.camera_object;
    Host_Camera* camera = scene_.camera;
    if (pending_drop_ == 1) scene_.camera_object = nullptr;
    if (pending_drop_ == 2) scene_.camera = nullptr;
    pending_drop_ = 0;
    std::int32_t index = pick_index_unset;
    float depth = pick_depth_unset;
    const std::uint64_t calls = Memory().calls;
    Host_Object* hit = Quorvel_Pick_Dll(&scene_, x, y, &index, &depth);
    Check(Memory().calls == calls, "a pick asked for memory");
    if (scene_.camera_object == nullptr) {
        Check(hit == nullptr && index == pick_index_unset && depth == pick_depth_unset,
              "a pick without a camera object wrote");
    } else if (hit == nullptr || scene_.camera == nullptr) {
        Check(hit == nullptr && index == 0 &&
                  std::bit_cast<std::uint32_t>(depth) == std::bit_cast<std::uint32_t>(scene_.far_z),
              "a miss did not report face 0 at far_z");
    } else {
        const auto object =
            std::find_if(objects_.begin(), objects_.end(), [hit](const Object& o) { return &o.record == hit; });
        std::int32_t most_faces = 0;
        for (const Object& o : objects_) most_faces = std::max(most_faces, o.record.face_count);
        // The member walk of a group does not look at pick_excluded: only a member may carry it.
        Check(object != objects_.end() && (!hit->pick_excluded || hit->group_member != 0),
              "the pick returned an object it may not");
        Check(depth < scene_.far_z && index >= 0 && index < most_faces,
              "the pick's depth or face index is out of range");
    }
    events_.push_back({Op_Pick, hit != nullptr ? index : -1, std::bit_cast<std::uint32_t>(depth), false, false});
    Note("pick " + Text(x) + ", " + Text(y) + ": " +
         (hit ? "object " + std::to_string(Tag_Of(hit)) + " face " + std::to_string(index) + " at " + Text(depth)
              : "miss"));
    scene_.camera_object = camera_object;
    scene_.camera = camera;
}

std::size_t Raw_Scene::Overlay_Candidates() const { return accepted_overlays_; }

void Raw_Scene::Step() {
    Byte_Reader& in = input_;
    const Operation operation = Operation(in.Byte() % Op_Count);
    quorvel_test::Failing_Memory& memory = Memory();
    auto material_at = [&](std::uint8_t b) -> Material& { return materials_[b % materials_.size()]; };
    switch (operation) {
        case Op_Render: Render(in.Byte()); break;
        case Op_Pick: {
            const float x = in.Coordinate();
            Pick(x, in.Coordinate());
            break;
        }
        case Op_Set_State: {
            Material& material = material_at(in.Byte());
            material.mode_argument = in.Byte() < 128 ? std::int32_t(Mode_From_Material) : std::int32_t(in.Byte() % 4);
            const std::uint8_t flags = in.Byte();
            material.flags_argument = flags < 64    ? std::uint32_t(Flags_From_Material)
                                      : flags < 128 ? std::uint32_t(Keep_Flags)
                                                    : flags & 0x4Fu;
            events_.push_back({Op_Set_State, Set_State(material), 0, false, false});
            break;
        }
        case Op_Recolour:
        case Op_Update: {
            Material& material = material_at(in.Byte());
            if (operation == Op_Recolour) {
                material.record.ambient[0] = in.Byte(), material.record.diffuse[1] = in.Byte();
                material.record.tint[2] = in.Byte(), material.record.shininess = in.Byte();
            }
            const std::uint64_t calls = memory.calls;
            Quorvel_Update_Material_Dll(&material.record);
            Check(memory.calls == calls, "Update asked for memory");
            Note("update material " + std::to_string(material.index));
            break;
        }
        case Op_Release_Scene:
            Quorvel_Release_Scene_Dll();
            Check(memory.Pooled_Blocks() == 0, "Release_Scene left a pool block out");
            Note("release scene");
            break;
        case Op_Viewport: {
            const std::uint8_t b = in.Byte();
            Use_Viewport(viewports_[b % viewports_.size()]);
            viewports_[0] = viewports_[b % viewports_.size()];
            Note("viewport " + std::to_string(b % viewports_.size()));
            break;
        }
        case Op_Move_Vertex: {
            Camera_Vertex& v = mesh_[in.Byte() % vertex_count_];
            v.x = in.Float(), v.y = in.Float(), v.z = in.Float();
            break;
        }
        case Op_Drop_Camera: pending_drop_ = 1 + in.Byte() % 2; break;
        case Op_Change_Map:
        case Op_Change_Material: {
            Material& material = material_at(in.Byte());
            Host_Material& m = material.record;
            const std::uint8_t b = in.Byte();
            Host_Map* const old_map = m.map;
            if (operation == Op_Change_Map) {
                m.map = b % (maps_.size() + 1) < maps_.size() ? &maps_[b % (maps_.size() + 1)].record : nullptr;
            } else {
                static const std::int32_t values[] = {0, 1, 2, 10, 11, 50, 30, -3};
                const std::int32_t value = values[(b >> 2) % std::size(values)];
                (b % 3 == 0 ? m.mode : b % 3 == 1 ? m.kind : m.transparency) = value;
            }
            // A correct host selects again after such a change; when that fails
            // it keeps drawing with the map the row was chosen for.
            if (!breaks_contract_) {
                material.flags_argument = Flags_From_Material;
                if (Set_State(material) == 0) m.map = old_map;
            }
            material.map = m.map;
            break;
        }
        case Op_Empty_Exports: {
            int record = 0;
            for (auto add :
                 {Quorvel_Add_Animation_Dll, Quorvel_Add_Camera_Dll, Quorvel_Add_Light_Dll, Quorvel_Add_Light_Map_Dll,
                  Quorvel_Add_Map_Dll, Quorvel_Add_Object_Dll, Quorvel_Add_Spot_Light_Dll})
                Check(add(&record) == 1, "an empty Add did not return 1");
            for (auto release : {Quorvel_Release_Animation_Dll, Quorvel_Release_Camera_Dll, Quorvel_Release_Light_Dll,
                                 Quorvel_Release_Light_Map_Dll, Quorvel_Release_Map_Dll, Quorvel_Release_Object_Dll,
                                 Quorvel_Release_Render_Dll, Quorvel_Release_Spot_Light_Dll,
                                 Quorvel_Update_Light_Map_Dll, Quorvel_Update_Map_Dll})
                release(nullptr);
            // Rows are shared: Get gives the mode of whichever material chose the row last.
            for (Material& material : materials_) {
                const Material_Render_Data* data = material.record.render_data;
                const std::int32_t expected = data != nullptr && data->row != nullptr ? data->row->mode : 0;
                Check(Quorvel_Get_Material_Render_State_Dll(&material.record) == expected, "Get is not the row's mode");
            }
            break;
        }
        case Op_Readd_Face: {
            if (faces_.empty()) break;
            Face& face = faces_[in.Byte() % faces_.size()];
            Quorvel_Release_Face_Dll(&face.record);
            std::int32_t added;
            do {
                const std::uint64_t failed = memory.failed_calls;
                added = Quorvel_Add_Face_Dll(&face.record);
                Check(added == (memory.failed_calls == failed ? 1 : 0),
                      "Add_Face result disagrees with the host's memory");
            } while (added == 0 && (header_ & Input_Host_Retries) != 0);
            break;
        }
        default: break;
    }
}

void Raw_Scene::Run() {
    current = this;
    Check(Quorvel_Init_Render_Dll(services_) == 1, "Init did not return 1");
    Add_Materials_And_Faces();
    // Up to 48 operations: enough for every export, short enough to stay fast.
    while (!input_.Empty() && operations_ < 48) {
        ++operations_;
        Step();
        Restore_Mutations();
    }
    ++operations_;
    for (Face& face : faces_) Quorvel_Release_Face_Dll(&face.record);
    for (Material& material : materials_) Quorvel_Release_Material_Dll(&material.record);
    Quorvel_Release_Scene_Dll();
    const quorvel_test::Failing_Memory& memory = Memory();
    Check(memory.bad_releases == 0, std::to_string(memory.bad_releases) + " releases of blocks that were not out");
    Check(memory.bad_reallocations == 0,
          std::to_string(memory.bad_reallocations) + " reallocations of blocks that were not out");
    Check(memory.live.empty(), std::to_string(memory.live.size()) + " blocks never came back");
}

}  // namespace quorvel_fuzz
