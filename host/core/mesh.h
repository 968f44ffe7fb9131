// Meshes: positions, faces of any corner count with per-corner u and v and a
// material each, and the host face records the library reads. A mesh owns a
// range of the shared vertex arrays (its base index); every object drawing
// the mesh writes its transformed vertices there.
#ifndef QUORVEL_HOST_MESH_H
#define QUORVEL_HOST_MESH_H

#include <cstdint>
#include <vector>

#include "core/maths.h"
#include "quorvel/host_records.h"

namespace quorvel_host {

class Material;

struct Mesh_Corner {
    std::uint32_t vertex = 0;  // index into Mesh_Data::positions
    float u = 0.0f, v = 0.0f;
};

struct Mesh_Face {
    std::vector<Mesh_Corner> corners;
    Material* material = nullptr;
};

// Plain geometry, as shape builders and file loaders produce it. Faces wind
// clockwise seen from their front in the host's left-handed world (x right,
// y up, z forward): Cross(b - a, c - a) points out of the front. The host
// face records list the corners the other way round, as the library wants.
struct Mesh_Data {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;  // per position for lighting; empty = averaged from the faces
    std::vector<Mesh_Face> faces;
};

// The face test reads the services' camera vertices through the record its
// face points at, so the host needs no global to reach them.
struct Face_Test_Record {
    Host_Face_Visibility visibility;
    Host_Services* services;
};

class Mesh {
public:
    // Faces with fewer than three corners, an index out of range, no
    // material or no area are left out. Faces of any corner count go to the
    // library whole: it sets up and picks faces above 10 corners as fans.
    Mesh(const Mesh_Data& data, std::uint32_t base_index, Face_Test_Record* one_sided, Face_Test_Record* two_sided);
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Attaches the library's render data to every face (Quorvel_Add_Face_Dll);
    // returns how many faces failed (they stay, and the face test skips them).
    std::uint32_t Add_To_Library();
    void Release_From_Library();

    const Mesh_Data& Data() const { return data_; }
    std::uint32_t Base_Index() const { return base_index_; }
    std::uint32_t Vertex_Count() const { return std::uint32_t(data_.positions.size()); }
    std::int32_t Face_Count() const { return std::int32_t(faces_.size()); }
    Host_Face** Faces() { return face_pointers_.data(); }
    Host_Face& Face(std::size_t i) { return faces_[i]; }
    const Host_Face& Face(std::size_t i) const { return faces_[i]; }
    // The Mesh_Data face that face i was kept from.
    std::uint32_t Data_Face(std::size_t i) const { return data_face_of_[i]; }
    const Vec3& Face_Normal(std::size_t i) const { return face_normals_[i]; }  // object space
    const Vec3& Vertex_Normal(std::size_t i) const { return vertex_normals_[i]; }
    // Whether a face's material reads the vertices' light; the others' never
    // needs computing.
    bool Uses_Light() const { return uses_light_; }
    Vec3 Sphere_Centre() const { return sphere_centre_; }
    float Sphere_Radius() const { return sphere_radius_; }

private:
    Mesh_Data data_;
    std::uint32_t base_index_;
    std::vector<Host_Face> faces_;
    std::vector<Host_Face*> face_pointers_;
    std::vector<std::uint32_t> indices_;
    std::vector<Corner_Uv> uvs_;
    std::vector<Vec3> face_normals_;
    std::vector<std::uint32_t> data_face_of_;
    std::vector<Vec3> vertex_normals_;
    Vec3 sphere_centre_;
    float sphere_radius_ = 0.0f;
    bool uses_light_ = false;
};

// Newell's normal of a polygon: Cross(b - a, c - a) for a triangle, and the
// area-weighted normal of any planar or nearly planar polygon.
Vec3 Polygon_Normal(const std::vector<Vec3>& positions, const std::vector<Mesh_Corner>& corners);

}  // namespace quorvel_host

#endif
