/* Host records: the memory layouts the library reads in place, plus the
 * library's own records that the host holds pointers to. Usable from C89 on
 * and from C++.
 *
 * Layouts. On a 32-bit x86 build every field sits at the byte offset given in
 * its comment; each offset is enforced by an assertion at the end of this
 * file, so a layout mistake stops the build instead of corrupting a frame. On
 * x86-64 the same declarations give the natural-alignment layout (8-byte
 * pointers, every field aligned to its size) that 64-bit hosts use: a 64-bit
 * host builds its records from this header, never from the 32-bit byte
 * offsets.
 *
 * Fields a host does not share with the library are padding named by the
 * byte where it starts on 32-bit (`unused_4`). Tables of host functions pad
 * with pointer-sized entries so that entry n stays entry n on both widths. */
#ifndef QUORVEL_HOST_RECORDS_H
#define QUORVEL_HOST_RECORDS_H

/* The records are laid out by hand: types, names and byte offsets in columns,
 * so a field's place reads at a glance. */
/* clang-format off */

#include <stddef.h>
#include <stdint.h>
#ifdef __cplusplus
#include <cstddef>
#include <cstdint>
#endif

/* The calling convention of every host function and export on 32-bit x86.
 * MSVC spells it as a keyword; GCC and Clang (mingw included) take the
 * attribute, which is the same convention. */
#if defined(_MSC_VER) && defined(_M_IX86)
#define QUORVEL_CDECL __cdecl
#elif defined(__i386__)
#define QUORVEL_CDECL __attribute__((cdecl))
#else
#define QUORVEL_CDECL
#endif

/* Flag words are 32-bit unsigned in C++; C gives enumerators the type int,
 * and every value here fits in it. */
#ifdef __cplusplus
#define QUORVEL_FLAGS_ENUM enum : std::uint32_t
#else
#define QUORVEL_FLAGS_ENUM enum
#endif

typedef struct Host_Services Host_Services;
typedef struct Host_Scene Host_Scene;
typedef struct Host_Object Host_Object;
typedef struct Host_Face Host_Face;
typedef struct Host_Material Host_Material;
typedef struct Prepared_Face Prepared_Face; /* the library's own; opaque to hosts */
typedef struct Dispatch_Row Dispatch_Row;

/* ---------------------------------------------------------------------------
 * Services: handed to Quorvel_Init_Render_Dll and kept for the module's life. */

typedef struct Camera_Vertex { /* 16 bytes per vertex */
    float x, y, z;
    float unused_12;
} Camera_Vertex;
typedef struct Projected_Vertex { /* 16 bytes per vertex; a per-frame cache the library writes */
    float x, y; /* screen position */
    float w;    /* 1 / camera z */
    float unused_12;
} Projected_Vertex;
typedef struct Vertex_Light { /* 16 bytes per vertex */
    float unused_0[3];
    float light; /* 4 units are one shade level */
} Vertex_Light;

/* The host's memory functions. `allocate` must return zero-filled memory.
 * The library frees the blocks it obtained from `reallocate` (the frame-wide
 * pools) with `release`, so `release` must accept blocks returned by
 * `reallocate` as well as by `allocate`. */
typedef void*(QUORVEL_CDECL* Allocate_Function)(uint32_t count, uint32_t size);
typedef void*(QUORVEL_CDECL* Reallocate_Function)(void* block, uint32_t size);
typedef void(QUORVEL_CDECL* Release_Function)(void* block);

struct Host_Services {
    unsigned char       unused_0[4];
    Camera_Vertex*      camera_vertices;       /* byte 4 */
    Projected_Vertex*   projected_vertices;    /* byte 8 */
    unsigned char       unused_12[16];
    Vertex_Light*       vertex_lights;         /* byte 28 */
    unsigned char       unused_32[4];
    uint32_t*           vertex_outcodes;       /* byte 36: bit set = inside that plane */
    uint32_t*           vertex_stamps;         /* byte 40: generation of the cached projection */
    unsigned char       unused_44[20];
    Allocate_Function   allocate;              /* byte 64 */
    Reallocate_Function reallocate;            /* byte 68 */
    Release_Function    release;               /* byte 72 */
    unsigned char       unused_76[296];
    int32_t             pixel_depth;           /* byte 372: 15 = RGB555, otherwise RGB565 */
    unsigned char       unused_376[16480];
    uint32_t            transform_generation;  /* byte 16856 */
};

/* Outcode bits: a set bit means the vertex is inside that plane. */
QUORVEL_FLAGS_ENUM {
    Outcode_Near = 0x01,
    Outcode_Far = 0x02,
    Outcode_Left = 0x04,
    Outcode_Right = 0x08,
    Outcode_Top = 0x10,
    Outcode_Bottom = 0x20,
    Outcode_Inside_All = 0x3F
};

/* ---------------------------------------------------------------------------
 * Scene and camera. */

/* The viewport runs from (clip_left, clip_top) to (clip_right, clip_bottom)
 * and must lie inside the frame buffer; its scan lines must lie within
 * 0..4095 (a frame whose viewport does not draws nothing and returns 0).
 * The side planes of the view volume are x = +-z and y = +-z in camera
 * space, so clip_left = centre_x - scale_x, clip_right = centre_x + scale_x,
 * clip_top = centre_y - scale_y, clip_bottom = centre_y + scale_y. */
typedef struct Host_Camera {
    float clip_right;           /* byte 0: largest screen x inside */
    float clip_bottom;          /* byte 4: largest screen y inside */
    float centre_x;             /* byte 8 */
    float centre_y;             /* byte 12 */
    float scale_x;              /* byte 16: screen x = centre_x + scale_x * x / z */
    float scale_y;              /* byte 20: screen y = centre_y - scale_y * y / z */
    float inv_scale_x;          /* byte 24: 1 / scale_x, kept by the host */
    float inv_scale_y;          /* byte 28 */
    float centre_x_over_scale;  /* byte 32: centre_x / scale_x */
    float centre_y_over_scale;  /* byte 36 */
} Host_Camera;

typedef void(QUORVEL_CDECL* Camera_Prepare_Function)(void* camera_object, Host_Scene* scene);

typedef struct Camera_Operations {
    Camera_Prepare_Function prepare; /* entry 0: runs before a frame or pick reads the scene */
} Camera_Operations;

typedef struct Host_Camera_Object {
    unsigned char      unused_0[100];
    Camera_Operations* operations; /* byte 100 */
} Host_Camera_Object;

struct Host_Scene {
    Host_Object*        first_object;   /* byte 0: top-level list through next_object */
    unsigned char       unused_4[16];
    Host_Camera_Object* camera_object;  /* byte 20: null = nothing drawn or picked */
    unsigned char       unused_24[4];
    float               clip_left;      /* byte 28 */
    float               clip_top;       /* byte 32: first scan line is its truncation */
    unsigned char       unused_36[8];
    float               near_z;         /* byte 44 */
    float               far_z;          /* byte 48: also the starting depth of picking */
    unsigned char       unused_52[4];
    int32_t             pitch;          /* byte 56: frame-buffer row length in pixels */
    Host_Camera*        camera;         /* byte 60 */
};

/* ---------------------------------------------------------------------------
 * Objects and their operation tables. */

typedef void(QUORVEL_CDECL* Object_Update_Function)(Host_Object* object);                                   /* op3 */
typedef void(QUORVEL_CDECL* Object_Hook_Function)(Host_Object* object, Host_Scene* scene, uint32_t value);  /* op4 */
typedef Host_Object*(QUORVEL_CDECL* Object_Source_Function)(Host_Object* object, Host_Scene* scene);        /* op5 */
typedef void(QUORVEL_CDECL* Object_Source_Operation)(Host_Object* source, Host_Object* object,
                                                     Host_Scene* scene);                                    /* op6, op7, op9 */

typedef struct Host_Object_Operations {
    void*                   unused_0[3];
    Object_Update_Function  update;     /* entry 3 (byte 12): op3 */
    Object_Hook_Function    hook;       /* entry 4 (byte 16): op4 */
    Object_Source_Function  source;     /* entry 5 (byte 20): op5, the object supplying geometry */
    Object_Source_Operation in_view;    /* entry 6 (byte 24): op6, sets the object's in_view */
    Object_Source_Operation prepare;    /* entry 7 (byte 28): op7 */
    void*                   unused_32;
    Object_Source_Operation transform;  /* entry 9 (byte 36): op9, fills the vertex arrays */
} Host_Object_Operations;

typedef struct Host_Class {
    unsigned char           unused_0[108];
    Host_Object_Operations* operations; /* byte 108 */
} Host_Class;

typedef struct Host_Object_Info {
    uint32_t      is_group;    /* byte 0: non-zero = group object */
    unsigned char unused_4[412];
    uint32_t      op7_word_a;  /* byte 416: either non-zero = op7 is called */
    uint32_t      op7_word_b;  /* byte 420 */
} Host_Object_Info;

struct Host_Object {
    unsigned char     unused_0[36];
    Host_Object*      first_child;    /* byte 36 */
    Host_Object*      next_sibling;   /* byte 40 */
    Host_Object*      next_object;    /* byte 44: next top-level object */
    unsigned char     unused_48[16];
    uint32_t          group_member;   /* byte 64: non-zero = drawn by its group only */
    unsigned char     unused_68[16];
    int32_t           face_count;     /* byte 84 */
    Host_Face**       faces;          /* byte 88 */
    unsigned char     unused_92[4];
    uint32_t          in_view;        /* byte 96: set by op6; written by the library for groups */
    unsigned char     unused_100[152];
    Host_Object_Info* info;           /* byte 252 */
    unsigned char     unused_256[4];
    Host_Class*       object_class;   /* byte 260 */
    uint32_t          op4_argument;   /* byte 264 */
    unsigned char     unused_268[4];
    uint32_t          pick_excluded;  /* byte 272: non-zero = own faces never picked */
};

/* ---------------------------------------------------------------------------
 * Faces. */

typedef struct Face_Render_Data { /* 2 bytes, attached by Quorvel_Add_Face_Dll */
    uint16_t random_colour;
} Face_Render_Data;

typedef int32_t(QUORVEL_CDECL* Face_Test_Function)(Host_Face* face);

typedef struct Host_Face_Visibility {
    Face_Test_Function test; /* word 0: non-zero = set the face up (or pick it) */
} Host_Face_Visibility;

typedef struct Corner_Uv { /* 8 bytes per corner */
    float u, v;
} Corner_Uv;

struct Host_Face {
    int32_t               vertex_count;    /* byte 0 */
    uint32_t*             vertex_indices;  /* byte 4: index into the services' vertex arrays */
    Corner_Uv*            corner_uv;       /* byte 8 */
    unsigned char         unused_12[4];
    Host_Material*        material;        /* byte 16 */
    unsigned char         unused_20[20];
    float                 normal[3];       /* byte 40: camera space, any length */
    unsigned char         unused_52[16];
    Face_Render_Data*     render_data;     /* byte 68 */
    Host_Face_Visibility* visibility;      /* byte 72 */
};

/* ---------------------------------------------------------------------------
 * Materials, maps and images. */

typedef struct Palette_Entry { /* 4 bytes */
    uint8_t blue, green, red;
    uint8_t unused_3;
} Palette_Entry;

/* A map image: a 32-byte header followed by the texels, row-major, inline. */
typedef struct Map_Image {
    uint32_t      format;          /* byte 0: 8 = 8-bit palette indices, otherwise 16-bit texels */
    unsigned char unused_4[8];
    uint32_t      is_256x256;      /* byte 12: non-zero = drawn by the fixed-size loops */
    uint32_t      index_mask;      /* byte 16 */
    uint32_t      width_shift;     /* byte 20: log2 of the row length */
    float         u_scale;         /* byte 24: texels per unit of corner u */
    float         v_scale;         /* byte 28 */
} Map_Image;
#ifdef __cplusplus
constexpr std::uint32_t Map_Format_Palette = 8;
constexpr std::size_t map_image_texels_offset = 32;

inline const std::uint16_t* Map_Texels_16(const Map_Image* image) {
    return reinterpret_cast<const std::uint16_t*>(reinterpret_cast<const unsigned char*>(image) + map_image_texels_offset);
}
inline const std::uint8_t* Map_Texels_8(const Map_Image* image) {
    return reinterpret_cast<const std::uint8_t*>(image) + map_image_texels_offset;
}
#else
/* C hosts place the texels at (const unsigned char*)image + map_image_texels_offset. */
enum { Map_Format_Palette = 8, map_image_texels_offset = 32 };
#endif

typedef struct Host_Map {
    unsigned char  unused_0[51];
    uint8_t        colour_key_index;  /* byte 51: palette index the keyed lit filler skips */
    uint16_t       colour_key;        /* byte 52: 16-bit texel the keyed fillers skip */
    unsigned char  unused_54[2];
    Map_Image*     image;             /* byte 56 */
    Palette_Entry* palette;           /* byte 60: 256 entries */
} Host_Map;

typedef struct Material_Render_Data { /* 8 bytes on 32-bit, attached by Quorvel_Add_Material_Dll */
    const Dispatch_Row* row;          /* byte 0: null until the first successful selection */
    uint32_t*           shade_table;  /* byte 4: null until built; entries hold pixel << 16 */
} Material_Render_Data;

/* Material_Flags: the host-owned word that a material's render_flags points at. */
QUORVEL_FLAGS_ENUM {
    Flag_Mapped = 0x001,
    Flag_Keyed = 0x002,
    Flag_Blend_Half = 0x004,
    Flag_Transparent = 0x008,
    Flag_Translucent_Host = 0x010, /* never computed; counts only when the host sets it */
    Flag_Additive = 0x040,
    Flag_Square_Overlay = 0x100,
    Flag_Square = 0x200
};

/* Bits of the mode and flags arguments of Quorvel_Set_Material_Render_State_Dll. */
QUORVEL_FLAGS_ENUM {
    Mode_From_Material = 0x100,
    Flags_From_Material = 0x400,
    Keep_Flags = 0x800
};

struct Host_Material {
    int32_t               mode;                /* byte 0: shading mode 0, 1 or 2 */
    unsigned char         unused_4[40];
    uint8_t               ambient[3];          /* byte 44: r, g, b */
    unsigned char         unused_47[3];
    uint8_t               diffuse[3];          /* byte 50 */
    unsigned char         unused_53[1];
    uint16_t              flat_colour;         /* byte 54: a pixel in the frame buffer's format */
    uint8_t               specular[3];         /* byte 56 */
    unsigned char         unused_59[3];
    uint8_t               tint[3];             /* byte 62 */
    unsigned char         unused_65[3];
    int32_t               shininess;           /* byte 68: percent */
    int32_t               shininess_strength;  /* byte 72: percent */
    int32_t               transparency;        /* byte 76: 0 opaque, 50 half blend, other = transparent */
    int32_t               kind;                /* byte 80: 1 keyed, 2 additive, 10 square overlay, 11 square */
    unsigned char         unused_84[8];
    Host_Map*             map;                 /* byte 92 */
    unsigned char         unused_96[12];
    uint32_t*             render_flags;        /* byte 108: the Material_Flags word */
    Material_Render_Data* render_data;         /* byte 112 */
};

/* ---------------------------------------------------------------------------
 * Dispatch rows: one per render state, shared by every material that selects
 * it. Word 0 is what Quorvel_Get_Material_Render_State_Dll returns. */

typedef void(QUORVEL_CDECL* Setup_Function)(Host_Scene* scene, Host_Face* face);
typedef void(QUORVEL_CDECL* Clip_Function)(Host_Scene* scene, Prepared_Face* face);
typedef void(QUORVEL_CDECL* Fill_Function)(Prepared_Face* face, uint16_t* frame_buffer, uint32_t pass_through,
                                           int32_t pitch);

struct Dispatch_Row {
    int32_t        mode;         /* word 0 (byte 0): mode of the material that selected the row last */
    Setup_Function setup;        /* word 1 (byte 4) */
    Clip_Function  clip_near;    /* word 2 (byte 8) */
    Clip_Function  clip_far;     /* word 3 (byte 12) */
    Clip_Function  clip_right;   /* word 4 (byte 16) */
    Clip_Function  clip_left;    /* word 5 (byte 20) */
    Clip_Function  clip_bottom;  /* word 6 (byte 24) */
    Clip_Function  clip_top;     /* word 7 (byte 28) */
    Fill_Function  fill;         /* word 8 (byte 32) */
};

/* ---------------------------------------------------------------------------
 * Layout checks, on every 32-bit build. C++ and C11 have static assertions;
 * C89 and C99 get a typedef of an array whose size is -1 when the check
 * fails, which every compiler refuses. */
#if UINTPTR_MAX == 0xFFFFFFFFu
#if defined(__cplusplus)
#define QUORVEL_LAYOUT_CHECK(condition, name) static_assert(condition, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define QUORVEL_LAYOUT_CHECK(condition, name) _Static_assert(condition, #name)
#else
#define QUORVEL_LAYOUT_CHECK(condition, name) typedef char Quorvel_Layout_Check_##name[(condition) ? 1 : -1]
#endif
#define QUORVEL_OFFSET(record, field, byte) \
    QUORVEL_LAYOUT_CHECK(offsetof(record, field) == (byte), record##_##field)
#define QUORVEL_SIZE(record, bytes) QUORVEL_LAYOUT_CHECK(sizeof(record) == (bytes), record##_size)

QUORVEL_SIZE(Camera_Vertex, 16);
QUORVEL_SIZE(Projected_Vertex, 16);
QUORVEL_SIZE(Vertex_Light, 16);
QUORVEL_OFFSET(Camera_Vertex, z, 8);
QUORVEL_OFFSET(Projected_Vertex, w, 8);
QUORVEL_OFFSET(Vertex_Light, light, 12);
QUORVEL_OFFSET(Host_Services, camera_vertices, 4);
QUORVEL_OFFSET(Host_Services, projected_vertices, 8);
QUORVEL_OFFSET(Host_Services, vertex_lights, 28);
QUORVEL_OFFSET(Host_Services, vertex_outcodes, 36);
QUORVEL_OFFSET(Host_Services, vertex_stamps, 40);
QUORVEL_OFFSET(Host_Services, allocate, 64);
QUORVEL_OFFSET(Host_Services, reallocate, 68);
QUORVEL_OFFSET(Host_Services, release, 72);
QUORVEL_OFFSET(Host_Services, pixel_depth, 372);
QUORVEL_OFFSET(Host_Services, transform_generation, 16856);

QUORVEL_OFFSET(Host_Camera, clip_right, 0);
QUORVEL_OFFSET(Host_Camera, clip_bottom, 4);
QUORVEL_OFFSET(Host_Camera, centre_x, 8);
QUORVEL_OFFSET(Host_Camera, centre_y, 12);
QUORVEL_OFFSET(Host_Camera, scale_x, 16);
QUORVEL_OFFSET(Host_Camera, scale_y, 20);
QUORVEL_OFFSET(Host_Camera, inv_scale_x, 24);
QUORVEL_OFFSET(Host_Camera, inv_scale_y, 28);
QUORVEL_OFFSET(Host_Camera, centre_x_over_scale, 32);
QUORVEL_OFFSET(Host_Camera, centre_y_over_scale, 36);
QUORVEL_OFFSET(Camera_Operations, prepare, 0);
QUORVEL_OFFSET(Host_Camera_Object, operations, 100);

QUORVEL_OFFSET(Host_Scene, first_object, 0);
QUORVEL_OFFSET(Host_Scene, camera_object, 20);
QUORVEL_OFFSET(Host_Scene, clip_left, 28);
QUORVEL_OFFSET(Host_Scene, clip_top, 32);
QUORVEL_OFFSET(Host_Scene, near_z, 44);
QUORVEL_OFFSET(Host_Scene, far_z, 48);
QUORVEL_OFFSET(Host_Scene, pitch, 56);
QUORVEL_OFFSET(Host_Scene, camera, 60);

QUORVEL_OFFSET(Host_Object_Operations, update, 12);
QUORVEL_OFFSET(Host_Object_Operations, hook, 16);
QUORVEL_OFFSET(Host_Object_Operations, source, 20);
QUORVEL_OFFSET(Host_Object_Operations, in_view, 24);
QUORVEL_OFFSET(Host_Object_Operations, prepare, 28);
QUORVEL_OFFSET(Host_Object_Operations, transform, 36);
QUORVEL_OFFSET(Host_Class, operations, 108);
QUORVEL_OFFSET(Host_Object_Info, is_group, 0);
QUORVEL_OFFSET(Host_Object_Info, op7_word_a, 416);
QUORVEL_OFFSET(Host_Object_Info, op7_word_b, 420);

QUORVEL_OFFSET(Host_Object, first_child, 36);
QUORVEL_OFFSET(Host_Object, next_sibling, 40);
QUORVEL_OFFSET(Host_Object, next_object, 44);
QUORVEL_OFFSET(Host_Object, group_member, 64);
QUORVEL_OFFSET(Host_Object, face_count, 84);
QUORVEL_OFFSET(Host_Object, faces, 88);
QUORVEL_OFFSET(Host_Object, in_view, 96);
QUORVEL_OFFSET(Host_Object, info, 252);
QUORVEL_OFFSET(Host_Object, object_class, 260);
QUORVEL_OFFSET(Host_Object, op4_argument, 264);
QUORVEL_OFFSET(Host_Object, pick_excluded, 272);

QUORVEL_SIZE(Face_Render_Data, 2);
QUORVEL_OFFSET(Host_Face_Visibility, test, 0);
QUORVEL_SIZE(Corner_Uv, 8);
QUORVEL_OFFSET(Corner_Uv, u, 0);
QUORVEL_OFFSET(Corner_Uv, v, 4);
QUORVEL_OFFSET(Host_Face, vertex_count, 0);
QUORVEL_OFFSET(Host_Face, vertex_indices, 4);
QUORVEL_OFFSET(Host_Face, corner_uv, 8);
QUORVEL_OFFSET(Host_Face, material, 16);
QUORVEL_OFFSET(Host_Face, normal, 40);
QUORVEL_OFFSET(Host_Face, render_data, 68);
QUORVEL_OFFSET(Host_Face, visibility, 72);

QUORVEL_SIZE(Palette_Entry, 4);
QUORVEL_OFFSET(Palette_Entry, red, 2);
QUORVEL_OFFSET(Map_Image, format, 0);
QUORVEL_OFFSET(Map_Image, is_256x256, 12);
QUORVEL_OFFSET(Map_Image, index_mask, 16);
QUORVEL_OFFSET(Map_Image, width_shift, 20);
QUORVEL_OFFSET(Map_Image, u_scale, 24);
QUORVEL_OFFSET(Map_Image, v_scale, 28);
QUORVEL_SIZE(Map_Image, map_image_texels_offset);
QUORVEL_OFFSET(Host_Map, colour_key_index, 51);
QUORVEL_OFFSET(Host_Map, colour_key, 52);
QUORVEL_OFFSET(Host_Map, image, 56);
QUORVEL_OFFSET(Host_Map, palette, 60);

QUORVEL_SIZE(Material_Render_Data, 8);
QUORVEL_OFFSET(Material_Render_Data, row, 0);
QUORVEL_OFFSET(Material_Render_Data, shade_table, 4);
QUORVEL_OFFSET(Host_Material, mode, 0);
QUORVEL_OFFSET(Host_Material, ambient, 44);
QUORVEL_OFFSET(Host_Material, diffuse, 50);
QUORVEL_OFFSET(Host_Material, flat_colour, 54);
QUORVEL_OFFSET(Host_Material, specular, 56);
QUORVEL_OFFSET(Host_Material, tint, 62);
QUORVEL_OFFSET(Host_Material, shininess, 68);
QUORVEL_OFFSET(Host_Material, shininess_strength, 72);
QUORVEL_OFFSET(Host_Material, transparency, 76);
QUORVEL_OFFSET(Host_Material, kind, 80);
QUORVEL_OFFSET(Host_Material, map, 92);
QUORVEL_OFFSET(Host_Material, render_flags, 108);
QUORVEL_OFFSET(Host_Material, render_data, 112);

QUORVEL_SIZE(Dispatch_Row, 36);
QUORVEL_OFFSET(Dispatch_Row, mode, 0);
QUORVEL_OFFSET(Dispatch_Row, setup, 4);
QUORVEL_OFFSET(Dispatch_Row, clip_near, 8);
QUORVEL_OFFSET(Dispatch_Row, clip_far, 12);
QUORVEL_OFFSET(Dispatch_Row, clip_right, 16);
QUORVEL_OFFSET(Dispatch_Row, clip_left, 20);
QUORVEL_OFFSET(Dispatch_Row, clip_bottom, 24);
QUORVEL_OFFSET(Dispatch_Row, clip_top, 28);
QUORVEL_OFFSET(Dispatch_Row, fill, 32);

#undef QUORVEL_SIZE
#undef QUORVEL_OFFSET
#undef QUORVEL_LAYOUT_CHECK
#endif

/* clang-format on */

#endif
