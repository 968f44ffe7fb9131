/* The smallest complete host, in C99 with nothing but the C library: a floor
 * in one flat colour and a cube with a checker map, drawn into a 160 x 120
 * RGB565 frame that is written as a binary PPM.
 *
 * Usage: quorvel_c_host [OUTPUT.ppm]   (default quorvel-c-host.ppm)
 *
 * Everything a host engine owns is here in its plainest form: the services
 * record with the vertex arrays, a camera whose preparation fills the
 * viewport, one operation table shared by both objects, a face test, and the
 * records of materials, a map and faces. The geometry is given in camera space
 * and uses no trigonometry, so every build computes the same pixels. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quorvel/quorvel_soft.h"

enum { Width = 160, Height = 120, Map_Side = 64 };

/* ---- services: memory and the per-vertex arrays the library reads ------- */

static void* QUORVEL_CDECL Allocate(uint32_t count, uint32_t size) { return calloc(count, size); }
static void* QUORVEL_CDECL Reallocate(void* block, uint32_t size) { return realloc(block, size); }
static void QUORVEL_CDECL Release(void* block) { free(block); }

enum { Floor_Vertices = 4, Cube_Vertices = 8, Vertex_Count = Floor_Vertices + Cube_Vertices };

static Host_Services services;
static Camera_Vertex camera_vertices[Vertex_Count];
static Projected_Vertex projected_vertices[Vertex_Count];
static Vertex_Light vertex_lights[Vertex_Count];
static uint32_t vertex_outcodes[Vertex_Count];
static uint32_t vertex_stamps[Vertex_Count];

/* ---- camera: at the origin, looking along +z ----------------------------- */

static Host_Camera camera;
static Camera_Operations camera_operations;
static Host_Camera_Object camera_object;

/* The side planes are x = +-z and y = +-z: the viewport spans them. */
static void QUORVEL_CDECL Prepare_Camera(void* object, Host_Scene* scene) {
    (void)object;
    camera.scale_x = Width * 0.5f;
    camera.scale_y = Height * 0.5f;
    camera.centre_x = camera.scale_x;
    camera.centre_y = camera.scale_y;
    camera.clip_right = camera.centre_x + camera.scale_x;
    camera.clip_bottom = camera.centre_y + camera.scale_y;
    camera.inv_scale_x = 1.0f / camera.scale_x;
    camera.inv_scale_y = 1.0f / camera.scale_y;
    camera.centre_x_over_scale = camera.centre_x / camera.scale_x;
    camera.centre_y_over_scale = camera.centre_y / camera.scale_y;
    scene->clip_left = camera.centre_x - camera.scale_x;
    scene->clip_top = camera.centre_y - camera.scale_y;
    scene->near_z = 0.5f;
    scene->far_z = 100.0f;
    scene->camera = &camera;
}

/* ---- objects: positions in camera space, one vertex range each ----------- */

typedef struct Example_Object {
    Host_Object record; /* first, so the library's object pointer is ours */
    Host_Object_Info info;
    uint32_t first_vertex;
    uint32_t vertex_count;
    const float (*positions)[3];
} Example_Object;

/* The frame is 4:3 and the planes are at 45 degrees: squeeze y so that the
 * horizontal field of view is 90 degrees and the vertical one matches. */
static const float y_squeeze = 4.0f / 3.0f;

static uint32_t Outcode(const Camera_Vertex* p, const Host_Scene* scene) {
    uint32_t code = 0;
    if (p->z >= scene->near_z) code |= Outcode_Near;
    if (p->z <= scene->far_z) code |= Outcode_Far;
    if (p->x >= -p->z) code |= Outcode_Left;
    if (p->x <= p->z) code |= Outcode_Right;
    if (p->y <= p->z) code |= Outcode_Top;
    if (p->y >= -p->z) code |= Outcode_Bottom;
    return code;
}

static void QUORVEL_CDECL Update(Host_Object* object) { (void)object; }
static void QUORVEL_CDECL Hook(Host_Object* object, Host_Scene* scene, uint32_t value) {
    (void)object, (void)scene, (void)value;
}
static Host_Object* QUORVEL_CDECL Source(Host_Object* object, Host_Scene* scene) {
    (void)scene;
    return object;
}
static void QUORVEL_CDECL In_View(Host_Object* source, Host_Object* object, Host_Scene* scene) {
    (void)source, (void)scene;
    object->in_view = 1;
}
static void QUORVEL_CDECL Prepare(Host_Object* source, Host_Object* object, Host_Scene* scene) {
    (void)source, (void)object, (void)scene;
}

/* Fills the camera-space positions, outcodes and light of the object's
 * vertices, and each face's outward camera-space normal from its first three
 * corners. */
static void QUORVEL_CDECL Transform(Host_Object* source, Host_Object* object, Host_Scene* scene) {
    const Example_Object* example = (const Example_Object*)source;
    uint32_t i;
    int32_t f;
    (void)object;
    for (i = 0; i < example->vertex_count; ++i) {
        Camera_Vertex* v = &camera_vertices[example->first_vertex + i];
        v->x = example->positions[i][0];
        v->y = example->positions[i][1] * y_squeeze;
        v->z = example->positions[i][2];
        vertex_outcodes[example->first_vertex + i] = Outcode(v, scene);
        vertex_lights[example->first_vertex + i].light = 200.0f;
    }
    for (f = 0; f < source->face_count; ++f) {
        Host_Face* face = source->faces[f];
        const Camera_Vertex* a = &camera_vertices[face->vertex_indices[0]];
        const Camera_Vertex* b = &camera_vertices[face->vertex_indices[1]];
        const Camera_Vertex* c = &camera_vertices[face->vertex_indices[2]];
        const float ux = b->x - a->x, uy = b->y - a->y, uz = b->z - a->z;
        const float vx = c->x - a->x, vy = c->y - a->y, vz = c->z - a->z;
        face->normal[0] = vy * uz - vz * uy;
        face->normal[1] = vz * ux - vx * uz;
        face->normal[2] = vx * uy - vy * ux;
    }
}

static Host_Object_Operations object_operations;
static Host_Class object_class;

/* Back faces are culled: a face is drawn when its normal points at the eye. */
static int32_t QUORVEL_CDECL Face_Faces_Eye(Host_Face* face) {
    const Camera_Vertex* p = &camera_vertices[face->vertex_indices[0]];
    return face->normal[0] * p->x + face->normal[1] * p->y + face->normal[2] * p->z < 0.0f;
}
static Host_Face_Visibility face_visibility;

/* ---- the scene's content -------------------------------------------------- */

/* A floor under the cube and a cube turned by the 3-4-5 angle about y, in
 * camera space (y up, z away from the eye). */
static const float floor_positions[Floor_Vertices][3] = {
    {-3.0f, -1.8f, 1.2f}, {3.0f, -1.8f, 1.2f}, {3.0f, -1.8f, 9.0f}, {-3.0f, -1.8f, 9.0f}};
static float cube_positions[Cube_Vertices][3];

static void Build_Cube(void) {
    /* Corners at +-0.8, turned by cos 0.8 / sin 0.6, lifted and pushed away. */
    const float c = 0.8f, s = 0.6f, half = 0.8f;
    int i;
    for (i = 0; i < Cube_Vertices; ++i) {
        const float x = (i & 1) ? half : -half;
        const float y = (i & 2) ? half : -half;
        const float z = (i & 4) ? half : -half;
        cube_positions[i][0] = c * x + s * z + 0.3f;
        cube_positions[i][1] = y - 1.0f;
        cube_positions[i][2] = -s * x + c * z + 4.0f;
    }
}

/* Corners run counter-clockwise on the screen when the front of the face is
 * seen, which is the order the library fills. */
static uint32_t floor_corners[1][4] = {{0, 1, 2, 3}};
static uint32_t cube_corners[6][4] = {
    {4, 6, 7, 5}, {0, 1, 3, 2}, /* z+ and z- */
    {0, 2, 6, 4}, {1, 5, 7, 3}, /* x- and x+ */
    {2, 3, 7, 6}, {0, 4, 5, 1}, /* y+ and y- */
};
static Corner_Uv cube_uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};

static Host_Face floor_faces[1], cube_faces[6];
static Host_Face* floor_face_list[1];
static Host_Face* cube_face_list[6];
static Example_Object floor_object, cube_object;

static Host_Material flat_material, mapped_material;
static uint32_t flat_flags, mapped_flags;
static Host_Map checker_map;
static struct {
    Map_Image header;
    uint16_t texels[Map_Side * Map_Side];
} checker_image;

static uint16_t Pixel_565(unsigned red, unsigned green, unsigned blue) {
    return (uint16_t)(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

static void Build_Checker(void) {
    int x, y;
    checker_image.header.format = 16;
    checker_image.header.is_256x256 = 0;
    checker_image.header.width_shift = 6; /* 64 texels a row */
    checker_image.header.index_mask = Map_Side * Map_Side - 1;
    checker_image.header.u_scale = Map_Side;
    checker_image.header.v_scale = Map_Side;
    for (y = 0; y < Map_Side; ++y)
        for (x = 0; x < Map_Side; ++x)
            checker_image.texels[y * Map_Side + x] =
                ((x / 8 + y / 8) & 1) ? Pixel_565(240, 200, 40) : Pixel_565(30, 60, 170);
    checker_map.image = &checker_image.header;
}

static void Add_Faces(Example_Object* object, Host_Face* faces, Host_Face** list, uint32_t (*corners)[4], int32_t count,
                      Host_Material* material, uint32_t first_vertex) {
    int32_t f;
    int c;
    for (f = 0; f < count; ++f) {
        for (c = 0; c < 4; ++c) corners[f][c] += first_vertex;
        faces[f].vertex_count = 4;
        faces[f].vertex_indices = corners[f];
        faces[f].corner_uv = cube_uv;
        faces[f].material = material;
        faces[f].visibility = &face_visibility;
        list[f] = &faces[f];
        Quorvel_Add_Face_Dll(&faces[f]);
    }
    object->record.face_count = count;
    object->record.faces = list;
    object->record.info = &object->info;
    object->record.object_class = &object_class;
}

static int Write_Ppm(const char* path, const uint16_t* pixels) {
    FILE* file = fopen(path, "wb");
    int i;
    if (file == NULL) return 0;
    fprintf(file, "P6\n%d %d\n255\n", Width, Height);
    for (i = 0; i < Width * Height; ++i) {
        /* 565 to 8 bits a channel, the top bits repeated into the low ones. */
        const unsigned r = (pixels[i] >> 11) & 31, g = (pixels[i] >> 5) & 63, b = pixels[i] & 31;
        const unsigned char rgb[3] = {(unsigned char)(r << 3 | r >> 2), (unsigned char)(g << 2 | g >> 4),
                                      (unsigned char)(b << 3 | b >> 2)};
        fwrite(rgb, 1, 3, file);
    }
    return fclose(file) == 0;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "quorvel-c-host.ppm";
    static uint16_t frame[Width * Height];
    Host_Scene scene;
    int32_t result;

    services.camera_vertices = camera_vertices;
    services.projected_vertices = projected_vertices;
    services.vertex_lights = vertex_lights;
    services.vertex_outcodes = vertex_outcodes;
    services.vertex_stamps = vertex_stamps;
    services.allocate = Allocate;
    services.reallocate = Reallocate;
    services.release = Release;
    services.pixel_depth = 16;
    Quorvel_Init_Render_Dll(&services);

    /* Mode 0 draws unlit: the floor in its flat colour, the cube's texels as they are. */
    flat_material.mode = 0;
    flat_material.flat_colour = Pixel_565(90, 160, 90);
    flat_material.render_flags = &flat_flags;
    Build_Checker();
    mapped_material.mode = 0;
    mapped_material.map = &checker_map;
    mapped_material.render_flags = &mapped_flags;
    if (!Quorvel_Add_Material_Dll(&flat_material) || !Quorvel_Add_Material_Dll(&mapped_material) ||
        !Quorvel_Set_Material_Render_State_Dll(&flat_material, Mode_From_Material, Flags_From_Material) ||
        !Quorvel_Set_Material_Render_State_Dll(&mapped_material, Mode_From_Material, Flags_From_Material)) {
        fprintf(stderr, "quorvel_c_host: the library could not take the materials\n");
        return 1;
    }

    object_operations.update = Update;
    object_operations.hook = Hook;
    object_operations.source = Source;
    object_operations.in_view = In_View;
    object_operations.prepare = Prepare;
    object_operations.transform = Transform;
    object_class.operations = &object_operations;
    face_visibility.test = Face_Faces_Eye;

    Build_Cube();
    floor_object.first_vertex = 0;
    floor_object.vertex_count = Floor_Vertices;
    floor_object.positions = floor_positions;
    Add_Faces(&floor_object, floor_faces, floor_face_list, floor_corners, 1, &flat_material, 0);
    cube_object.first_vertex = Floor_Vertices;
    cube_object.vertex_count = Cube_Vertices;
    cube_object.positions = (const float(*)[3])cube_positions;
    Add_Faces(&cube_object, cube_faces, cube_face_list, cube_corners, 6, &mapped_material, Floor_Vertices);

    camera_operations.prepare = Prepare_Camera;
    camera_object.operations = &camera_operations;
    memset(&scene, 0, sizeof scene);
    scene.first_object = &floor_object.record;
    floor_object.record.next_object = &cube_object.record;
    scene.camera_object = &camera_object;
    scene.pitch = Width;

    /* Bit 0: pixels no face covers are cleared to black. */
    result = Quorvel_Render_Dll(&scene, frame, 0, 1);
    Quorvel_Release_Scene_Dll();
    if (!Write_Ppm(path, frame)) {
        fprintf(stderr, "quorvel_c_host: cannot write %s\n", path);
        return 1;
    }
    printf("quorvel_soft %d.%d.%d: wrote %s (%dx%d, %d overlay faces)\n", QUORVEL_VERSION_MAJOR, QUORVEL_VERSION_MINOR,
           QUORVEL_VERSION_PATCH, path, Width, Height, (int)result);
    return 0;
}
