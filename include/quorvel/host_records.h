// Host records: the memory layouts the library reads in place, plus the
// library's own records that the host holds pointers to.
//
// Layouts. On a 32-bit x86 build every field sits at the byte offset given in
// its comment; each offset is enforced by a static_assert below, so a layout
// mistake stops the build instead of corrupting a frame. On x86-64 the same
// declarations give the natural-alignment layout (8-byte pointers, every
// field aligned to its size) that 64-bit hosts use: a 64-bit host builds its
// records from this header, never from the 32-bit byte offsets.
//
// Fields a host does not share with the library are padding named by the
// byte where it starts on 32-bit (`unused_4`). Tables of host functions pad
// with pointer-sized entries so that entry n stays entry n on both widths.
#ifndef QUORVEL_HOST_RECORDS_H
#define QUORVEL_HOST_RECORDS_H

#include <cstddef>
#include <cstdint>

#if defined(__i386__) || defined(_M_IX86)
#define QUORVEL_CDECL __attribute__((cdecl))
#else
#define QUORVEL_CDECL
#endif

struct Host_Scene;
struct Host_Object;
struct Host_Face;
struct Host_Material;
struct Prepared_Face;  // the library's own; opaque to hosts

// ---------------------------------------------------------------------------
// Services: handed to Quorvel_Init_Render_Dll and kept for the module's life.

struct Camera_Vertex {  // 16 bytes per vertex
    float x, y, z;
    float unused_12;
};
struct Projected_Vertex {  // 16 bytes per vertex; a per-frame cache the library writes
    float x, y;  // screen position
    float w;     // 1 / camera z
    float unused_12;
};
struct Vertex_Light {  // 16 bytes per vertex
    float unused_0[3];
    float light;  // 4 units are one shade level
};

// The host's memory functions. `allocate` must return zero-filled memory.
// The library frees the blocks it obtained from `reallocate` (the frame-wide
// pools) with `release`, so `release` must accept blocks returned by
// `reallocate` as well as by `allocate`.
using Allocate_Function = void*(QUORVEL_CDECL*)(std::uint32_t count, std::uint32_t size);
using Reallocate_Function = void*(QUORVEL_CDECL*)(void* block, std::uint32_t size);
using Release_Function = void(QUORVEL_CDECL*)(void* block);

struct Host_Services {
    std::byte           unused_0[4];
    Camera_Vertex*      camera_vertices;       // byte 4
    Projected_Vertex*   projected_vertices;    // byte 8
    std::byte           unused_12[16];
    Vertex_Light*       vertex_lights;         // byte 28
    std::byte           unused_32[4];
    std::uint32_t*      vertex_outcodes;       // byte 36: bit set = inside that plane
    std::uint32_t*      vertex_stamps;         // byte 40: generation of the cached projection
    std::byte           unused_44[20];
    Allocate_Function   allocate;              // byte 64
    Reallocate_Function reallocate;            // byte 68
    Release_Function    release;               // byte 72
    std::byte           unused_76[296];
    std::int32_t        pixel_depth;           // byte 372: 15 = RGB555, otherwise RGB565
    std::byte           unused_376[16480];
    std::uint32_t       transform_generation;  // byte 16856
};

// Outcode bits: a set bit means the vertex is inside that plane.
enum : std::uint32_t {
    Outcode_Near = 0x01,
    Outcode_Far = 0x02,
    Outcode_Left = 0x04,
    Outcode_Right = 0x08,
    Outcode_Top = 0x10,
    Outcode_Bottom = 0x20,
    Outcode_Inside_All = 0x3F,
};

// ---------------------------------------------------------------------------
// Scene and camera.

// The viewport runs from (clip_left, clip_top) to (clip_right, clip_bottom)
// and must lie inside the frame buffer; its scan lines must lie within
// 0..4095 (a frame whose viewport does not draws nothing and returns 0).
// The side planes of the view volume are x = +-z and y = +-z in camera
// space, so clip_left = centre_x - scale_x, clip_right = centre_x + scale_x,
// clip_top = centre_y - scale_y, clip_bottom = centre_y + scale_y.
struct Host_Camera {
    float clip_right;           // byte 0: largest screen x inside
    float clip_bottom;          // byte 4: largest screen y inside
    float centre_x;             // byte 8
    float centre_y;             // byte 12
    float scale_x;              // byte 16: screen x = centre_x + scale_x * x / z
    float scale_y;              // byte 20: screen y = centre_y - scale_y * y / z
    float inv_scale_x;          // byte 24: 1 / scale_x, kept by the host
    float inv_scale_y;          // byte 28
    float centre_x_over_scale;  // byte 32: centre_x / scale_x
    float centre_y_over_scale;  // byte 36
};

using Camera_Prepare_Function = void(QUORVEL_CDECL*)(void* camera_object, Host_Scene* scene);

struct Camera_Operations {
    Camera_Prepare_Function prepare;  // entry 0: runs before a frame or pick reads the scene
};

struct Host_Camera_Object {
    std::byte          unused_0[100];
    Camera_Operations* operations;  // byte 100
};

struct Host_Scene {
    Host_Object*        first_object;   // byte 0: top-level list through next_object
    std::byte           unused_4[16];
    Host_Camera_Object* camera_object;  // byte 20: null = nothing drawn or picked
    std::byte           unused_24[4];
    float               clip_left;      // byte 28
    float               clip_top;       // byte 32: first scan line is its truncation
    std::byte           unused_36[8];
    float               near_z;         // byte 44
    float               far_z;          // byte 48: also the starting depth of picking
    std::byte           unused_52[4];
    std::int32_t        pitch;          // byte 56: frame-buffer row length in pixels
    Host_Camera*        camera;         // byte 60
};

// ---------------------------------------------------------------------------
// Objects and their operation tables.

using Object_Update_Function = void(QUORVEL_CDECL*)(Host_Object* object);                                          // op3
using Object_Hook_Function = void(QUORVEL_CDECL*)(Host_Object* object, Host_Scene* scene, std::uint32_t value);    // op4
using Object_Source_Function = Host_Object*(QUORVEL_CDECL*)(Host_Object* object, Host_Scene* scene);               // op5
using Object_Source_Operation = void(QUORVEL_CDECL*)(Host_Object* source, Host_Object* object, Host_Scene* scene);  // op6, op7, op9

struct Host_Object_Operations {
    void*                   unused_0[3];
    Object_Update_Function  update;     // entry 3 (byte 12): op3
    Object_Hook_Function    hook;       // entry 4 (byte 16): op4
    Object_Source_Function  source;     // entry 5 (byte 20): op5, the object supplying geometry
    Object_Source_Operation in_view;    // entry 6 (byte 24): op6, sets the object's in_view
    Object_Source_Operation prepare;    // entry 7 (byte 28): op7
    void*                   unused_32;
    Object_Source_Operation transform;  // entry 9 (byte 36): op9, fills the vertex arrays
};

struct Host_Class {
    std::byte               unused_0[108];
    Host_Object_Operations* operations;  // byte 108
};

struct Host_Object_Info {
    std::uint32_t is_group;      // byte 0: non-zero = group object
    std::byte     unused_4[412];
    std::uint32_t op7_word_a;    // byte 416: either non-zero = op7 is called
    std::uint32_t op7_word_b;    // byte 420
};

struct Host_Object {
    std::byte         unused_0[36];
    Host_Object*      first_child;    // byte 36
    Host_Object*      next_sibling;   // byte 40
    Host_Object*      next_object;    // byte 44: next top-level object
    std::byte         unused_48[16];
    std::uint32_t     group_member;   // byte 64: non-zero = drawn by its group only
    std::byte         unused_68[16];
    std::int32_t      face_count;     // byte 84
    Host_Face**       faces;          // byte 88
    std::byte         unused_92[4];
    std::uint32_t     in_view;        // byte 96: set by op6; written by the library for groups
    std::byte         unused_100[152];
    Host_Object_Info* info;           // byte 252
    std::byte         unused_256[4];
    Host_Class*       object_class;   // byte 260
    std::uint32_t     op4_argument;   // byte 264
    std::byte         unused_268[4];
    std::uint32_t     pick_excluded;  // byte 272: non-zero = own faces never picked
};

// ---------------------------------------------------------------------------
// Faces.

struct Face_Render_Data {  // 2 bytes, attached by Quorvel_Add_Face_Dll
    std::uint16_t random_colour;
};

using Face_Test_Function = std::int32_t(QUORVEL_CDECL*)(Host_Face* face);

struct Host_Face_Visibility {
    Face_Test_Function test;  // word 0: non-zero = set the face up (or pick it)
};

struct Corner_Uv {
    float u, v;
};

struct Host_Face {
    std::int32_t          vertex_count;    // byte 0
    std::uint32_t*        vertex_indices;  // byte 4: index into the services' vertex arrays
    Corner_Uv*            corner_uv;       // byte 8
    std::byte             unused_12[4];
    Host_Material*        material;        // byte 16
    std::byte             unused_20[20];
    float                 normal[3];       // byte 40: camera space, any length
    std::byte             unused_52[16];
    Face_Render_Data*     render_data;     // byte 68
    Host_Face_Visibility* visibility;      // byte 72
};

// ---------------------------------------------------------------------------
// Materials, maps and images.

struct Palette_Entry {  // 4 bytes
    std::uint8_t blue, green, red;
    std::uint8_t unused_3;
};

// A map image: a 32-byte header followed by the texels, row-major, inline.
struct Map_Image {
    std::uint32_t format;          // byte 0: 8 = 8-bit palette indices, otherwise 16-bit texels
    std::byte     unused_4[8];
    std::uint32_t is_256x256;      // byte 12: non-zero = drawn by the fixed-size loops
    std::uint32_t index_mask;      // byte 16
    std::uint32_t width_shift;     // byte 20: log2 of the row length
    float         u_scale;         // byte 24: texels per unit of corner u
    float         v_scale;         // byte 28
};
constexpr std::uint32_t Map_Format_Palette = 8;
constexpr std::size_t map_image_texels_offset = 32;

inline const std::uint16_t* Map_Texels_16(const Map_Image* image) {
    return reinterpret_cast<const std::uint16_t*>(reinterpret_cast<const std::byte*>(image) + map_image_texels_offset);
}
inline const std::uint8_t* Map_Texels_8(const Map_Image* image) {
    return reinterpret_cast<const std::uint8_t*>(image) + map_image_texels_offset;
}

struct Host_Map {
    std::byte      unused_0[51];
    std::uint8_t   colour_key_index;  // byte 51: palette index the keyed lit filler skips
    std::uint16_t  colour_key;        // byte 52: 16-bit texel the keyed fillers skip
    std::byte      unused_54[2];
    Map_Image*     image;             // byte 56
    Palette_Entry* palette;           // byte 60: 256 entries
};

struct Dispatch_Row;

struct Material_Render_Data {  // 8 bytes on 32-bit, attached by Quorvel_Add_Material_Dll
    const Dispatch_Row* row;          // null until the first successful selection
    std::uint32_t*      shade_table;  // null until built; entries hold pixel << 16
};

// Material_Flags: the host-owned word that a material's render_flags points at.
enum : std::uint32_t {
    Flag_Mapped = 0x001,
    Flag_Keyed = 0x002,
    Flag_Blend_Half = 0x004,
    Flag_Transparent = 0x008,
    Flag_Translucent_Host = 0x010,  // never computed; counts only when the host sets it
    Flag_Additive = 0x040,
    Flag_Square_Overlay = 0x100,
    Flag_Square = 0x200,
};

// Bits of the mode and flags arguments of Quorvel_Set_Material_Render_State_Dll.
enum : std::uint32_t {
    Mode_From_Material = 0x100,
    Flags_From_Material = 0x400,
    Keep_Flags = 0x800,
};

struct Host_Material {
    std::int32_t          mode;                // byte 0: shading mode 0, 1 or 2
    std::byte             unused_4[40];
    std::uint8_t          ambient[3];          // byte 44: r, g, b
    std::byte             unused_47[3];
    std::uint8_t          diffuse[3];          // byte 50
    std::byte             unused_53[1];
    std::uint16_t         flat_colour;         // byte 54: a pixel in the frame buffer's format
    std::uint8_t          specular[3];         // byte 56
    std::byte             unused_59[3];
    std::uint8_t          tint[3];             // byte 62
    std::byte             unused_65[3];
    std::int32_t          shininess;           // byte 68: percent
    std::int32_t          shininess_strength;  // byte 72: percent
    std::int32_t          transparency;        // byte 76: 0 opaque, 50 half blend, other = transparent
    std::int32_t          kind;                // byte 80: 1 keyed, 2 additive, 10 square overlay, 11 square
    std::byte             unused_84[8];
    Host_Map*             map;                 // byte 92
    std::byte             unused_96[12];
    std::uint32_t*        render_flags;        // byte 108: the Material_Flags word
    Material_Render_Data* render_data;         // byte 112
};

// ---------------------------------------------------------------------------
// Dispatch rows: one per render state, shared by every material that selects
// it. Word 0 is what Quorvel_Get_Material_Render_State_Dll returns.

using Setup_Function = void(QUORVEL_CDECL*)(Host_Scene* scene, Host_Face* face);
using Clip_Function = void(QUORVEL_CDECL*)(Host_Scene* scene, Prepared_Face* face);
using Fill_Function = void(QUORVEL_CDECL*)(Prepared_Face* face, std::uint16_t* frame_buffer,
                                           std::uint32_t pass_through, std::int32_t pitch);

struct Dispatch_Row {
    std::int32_t  mode;         // word 0: mode of the material that selected the row last
    Setup_Function setup;       // word 1
    Clip_Function clip_near;    // word 2
    Clip_Function clip_far;     // word 3
    Clip_Function clip_right;   // word 4
    Clip_Function clip_left;    // word 5
    Clip_Function clip_bottom;  // word 6
    Clip_Function clip_top;     // word 7
    Fill_Function fill;         // word 8
};

// ---------------------------------------------------------------------------
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(Camera_Vertex, z) == 8);
static_assert(sizeof(Camera_Vertex) == 16 && sizeof(Projected_Vertex) == 16 && sizeof(Vertex_Light) == 16);
static_assert(offsetof(Projected_Vertex, w) == 8);
static_assert(offsetof(Vertex_Light, light) == 12);
static_assert(offsetof(Host_Services, camera_vertices) == 4);
static_assert(offsetof(Host_Services, projected_vertices) == 8);
static_assert(offsetof(Host_Services, vertex_lights) == 28);
static_assert(offsetof(Host_Services, vertex_outcodes) == 36);
static_assert(offsetof(Host_Services, vertex_stamps) == 40);
static_assert(offsetof(Host_Services, allocate) == 64);
static_assert(offsetof(Host_Services, reallocate) == 68);
static_assert(offsetof(Host_Services, release) == 72);
static_assert(offsetof(Host_Services, pixel_depth) == 372);
static_assert(offsetof(Host_Services, transform_generation) == 16856);

static_assert(offsetof(Host_Camera, clip_right) == 0);
static_assert(offsetof(Host_Camera, clip_bottom) == 4);
static_assert(offsetof(Host_Camera, centre_x) == 8);
static_assert(offsetof(Host_Camera, centre_y) == 12);
static_assert(offsetof(Host_Camera, scale_x) == 16);
static_assert(offsetof(Host_Camera, scale_y) == 20);
static_assert(offsetof(Host_Camera, inv_scale_x) == 24);
static_assert(offsetof(Host_Camera, inv_scale_y) == 28);
static_assert(offsetof(Host_Camera, centre_x_over_scale) == 32);
static_assert(offsetof(Host_Camera, centre_y_over_scale) == 36);
static_assert(offsetof(Camera_Operations, prepare) == 0);
static_assert(offsetof(Host_Camera_Object, operations) == 100);

static_assert(offsetof(Host_Scene, first_object) == 0);
static_assert(offsetof(Host_Scene, camera_object) == 20);
static_assert(offsetof(Host_Scene, clip_left) == 28);
static_assert(offsetof(Host_Scene, clip_top) == 32);
static_assert(offsetof(Host_Scene, near_z) == 44);
static_assert(offsetof(Host_Scene, far_z) == 48);
static_assert(offsetof(Host_Scene, pitch) == 56);
static_assert(offsetof(Host_Scene, camera) == 60);

static_assert(offsetof(Host_Object_Operations, update) == 12);
static_assert(offsetof(Host_Object_Operations, hook) == 16);
static_assert(offsetof(Host_Object_Operations, source) == 20);
static_assert(offsetof(Host_Object_Operations, in_view) == 24);
static_assert(offsetof(Host_Object_Operations, prepare) == 28);
static_assert(offsetof(Host_Object_Operations, transform) == 36);
static_assert(offsetof(Host_Class, operations) == 108);
static_assert(offsetof(Host_Object_Info, is_group) == 0);
static_assert(offsetof(Host_Object_Info, op7_word_a) == 416);
static_assert(offsetof(Host_Object_Info, op7_word_b) == 420);

static_assert(offsetof(Host_Object, first_child) == 36);
static_assert(offsetof(Host_Object, next_sibling) == 40);
static_assert(offsetof(Host_Object, next_object) == 44);
static_assert(offsetof(Host_Object, group_member) == 64);
static_assert(offsetof(Host_Object, face_count) == 84);
static_assert(offsetof(Host_Object, faces) == 88);
static_assert(offsetof(Host_Object, in_view) == 96);
static_assert(offsetof(Host_Object, info) == 252);
static_assert(offsetof(Host_Object, object_class) == 260);
static_assert(offsetof(Host_Object, op4_argument) == 264);
static_assert(offsetof(Host_Object, pick_excluded) == 272);

static_assert(sizeof(Face_Render_Data) == 2);
static_assert(offsetof(Host_Face_Visibility, test) == 0);
static_assert(offsetof(Host_Face, vertex_count) == 0);
static_assert(offsetof(Host_Face, vertex_indices) == 4);
static_assert(offsetof(Host_Face, corner_uv) == 8);
static_assert(offsetof(Host_Face, material) == 16);
static_assert(offsetof(Host_Face, normal) == 40);
static_assert(offsetof(Host_Face, render_data) == 68);
static_assert(offsetof(Host_Face, visibility) == 72);

static_assert(sizeof(Palette_Entry) == 4);
static_assert(offsetof(Palette_Entry, red) == 2);
static_assert(offsetof(Map_Image, format) == 0);
static_assert(offsetof(Map_Image, is_256x256) == 12);
static_assert(offsetof(Map_Image, index_mask) == 16);
static_assert(offsetof(Map_Image, width_shift) == 20);
static_assert(offsetof(Map_Image, u_scale) == 24);
static_assert(offsetof(Map_Image, v_scale) == 28);
static_assert(sizeof(Map_Image) == map_image_texels_offset);
static_assert(offsetof(Host_Map, colour_key_index) == 51);
static_assert(offsetof(Host_Map, colour_key) == 52);
static_assert(offsetof(Host_Map, image) == 56);
static_assert(offsetof(Host_Map, palette) == 60);

static_assert(sizeof(Material_Render_Data) == 8);
static_assert(offsetof(Material_Render_Data, shade_table) == 4);
static_assert(offsetof(Host_Material, mode) == 0);
static_assert(offsetof(Host_Material, ambient) == 44);
static_assert(offsetof(Host_Material, diffuse) == 50);
static_assert(offsetof(Host_Material, flat_colour) == 54);
static_assert(offsetof(Host_Material, specular) == 56);
static_assert(offsetof(Host_Material, tint) == 62);
static_assert(offsetof(Host_Material, shininess) == 68);
static_assert(offsetof(Host_Material, shininess_strength) == 72);
static_assert(offsetof(Host_Material, transparency) == 76);
static_assert(offsetof(Host_Material, kind) == 80);
static_assert(offsetof(Host_Material, map) == 92);
static_assert(offsetof(Host_Material, render_flags) == 108);
static_assert(offsetof(Host_Material, render_data) == 112);

static_assert(sizeof(Dispatch_Row) == 36);
static_assert(offsetof(Dispatch_Row, setup) == 4);
static_assert(offsetof(Dispatch_Row, fill) == 32);
#endif

#endif
