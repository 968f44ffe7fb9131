// Host face records of a mesh, its normals and its bounding sphere.
#include "core/mesh.h"

#include <algorithm>

#include "core/scene_materials.h"
#include "quorvel/quorvel_soft.h"

namespace quorvel_host {

Vec3 Polygon_Normal(const std::vector<Vec3>& positions, const std::vector<Mesh_Corner>& corners) {
    Vec3 sum;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Vec3 a = positions[corners[i].vertex];
        const Vec3 b = positions[corners[(i + 1) % corners.size()].vertex];
        sum = sum + Cross(a, b);
    }
    return sum;
}

Mesh::Mesh(const Mesh_Data& data, std::uint32_t base_index, Face_Test_Record* one_sided, Face_Test_Record* two_sided)
    : base_index_(base_index) {
    data_.positions = data.positions;
    data_.normals = data.normals;
    for (std::size_t f = 0; f < data.faces.size(); ++f) {
        const Mesh_Face& face = data.faces[f];
        if (face.corners.size() < 3 || face.material == nullptr) continue;
        bool in_range = true;
        for (const Mesh_Corner& corner : face.corners) in_range = in_range && corner.vertex < data.positions.size();
        if (!in_range) continue;
        const Vec3 normal = Polygon_Normal(data_.positions, face.corners);
        if (Length(normal) == 0.0f) continue;
        data_.faces.push_back(face);
        face_normals_.push_back(normal);
        data_face_of_.push_back(std::uint32_t(f));
    }

    std::size_t corner_total = 0;
    for (const Mesh_Face& face : data_.faces) corner_total += face.corners.size();
    indices_.reserve(corner_total);
    uvs_.reserve(corner_total);
    faces_.resize(data_.faces.size());
    for (std::size_t f = 0; f < data_.faces.size(); ++f) {
        const Mesh_Face& face = data_.faces[f];
        Host_Face& record = faces_[f];
        record = {};
        record.vertex_count = std::int32_t(face.corners.size());
        record.vertex_indices = indices_.data() + indices_.size();
        record.corner_uv = uvs_.data() + uvs_.size();
        record.material = face.material->Record();
        record.visibility = &(face.material->Settings().two_sided ? two_sided : one_sided)->visibility;
        // The library walks a face's corners counter-clockwise on the screen
        // (from the top, increasing index runs down the left side); our front
        // faces run clockwise, so the record lists them backwards from corner 0.
        for (std::size_t i = 0; i < face.corners.size(); ++i) {
            const Mesh_Corner& corner = face.corners[(face.corners.size() - i) % face.corners.size()];
            indices_.push_back(base_index + corner.vertex);
            uvs_.push_back({corner.u, corner.v});
        }
    }
    for (Host_Face& face : faces_) face_pointers_.push_back(&face);
    for (const Mesh_Face& face : data_.faces) uses_light_ = uses_light_ || face.material->Uses_Light();

    // Vertex normals for lighting: given, or the area-weighted average of the
    // faces around each vertex.
    if (data_.normals.size() == data_.positions.size()) {
        for (const Vec3& n : data_.normals) vertex_normals_.push_back(Normalise(n));
    } else {
        vertex_normals_.assign(data_.positions.size(), Vec3{});
        for (std::size_t f = 0; f < data_.faces.size(); ++f)
            for (const Mesh_Corner& corner : data_.faces[f].corners)
                vertex_normals_[corner.vertex] = vertex_normals_[corner.vertex] + face_normals_[f];
        for (Vec3& n : vertex_normals_) n = Normalise(n);
    }

    // Bounding sphere around the box centre: not the smallest, but never
    // smaller than the geometry.
    if (!data_.positions.empty()) {
        Vec3 low = data_.positions[0], high = data_.positions[0];
        for (const Vec3& p : data_.positions) {
            low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        }
        sphere_centre_ = (low + high) * 0.5f;
        for (const Vec3& p : data_.positions) sphere_radius_ = std::max(sphere_radius_, Length(p - sphere_centre_));
        sphere_radius_ *= 1.0001f;  // rounding of the distances above
    }
}

std::uint32_t Mesh::Add_To_Library() {
    std::uint32_t failures = 0;
    for (Host_Face& face : faces_)
        if (face.render_data == nullptr && Quorvel_Add_Face_Dll(&face) == 0) ++failures;
    return failures;
}

void Mesh::Release_From_Library() {
    for (Host_Face& face : faces_)
        if (face.render_data != nullptr) {
            Quorvel_Release_Face_Dll(&face);
            face.render_data = nullptr;
        }
}

}  // namespace quorvel_host
