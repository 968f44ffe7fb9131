// Procedural meshes.
#include "core/shapes.h"

#include <algorithm>

namespace quorvel_host {

void Add_Quad(Mesh_Data& data, Vec3 centre, Vec3 right, Vec3 up, Material* material, float u_repeat, float v_repeat) {
    const std::uint32_t first = std::uint32_t(data.positions.size());
    // Top left, top right, bottom right, bottom left: clockwise from the front.
    data.positions.push_back(centre - right + up);
    data.positions.push_back(centre + right + up);
    data.positions.push_back(centre + right - up);
    data.positions.push_back(centre - right - up);
    const Vec3 normal = Normalise(-Cross(right, up));
    if (!data.normals.empty() || first == 0)
        for (int i = 0; i < 4; ++i) data.normals.push_back(normal);
    data.faces.push_back({{{first, 0.0f, 0.0f},
                           {first + 1, u_repeat, 0.0f},
                           {first + 2, u_repeat, v_repeat},
                           {first + 3, 0.0f, v_repeat}},
                          material});
}

Mesh_Data Box(Vec3 size, Material* material) {
    Mesh_Data data;
    const float x = size.x * 0.5f, y = size.y * 0.5f, z = size.z * 0.5f;
    Add_Quad(data, {0, 0, -z}, {x, 0, 0}, {0, y, 0}, material);   // front
    Add_Quad(data, {0, 0, z}, {-x, 0, 0}, {0, y, 0}, material);   // back
    Add_Quad(data, {x, 0, 0}, {0, 0, z}, {0, y, 0}, material);    // right
    Add_Quad(data, {-x, 0, 0}, {0, 0, -z}, {0, y, 0}, material);  // left
    Add_Quad(data, {0, y, 0}, {x, 0, 0}, {0, 0, z}, material);    // top
    Add_Quad(data, {0, -y, 0}, {x, 0, 0}, {0, 0, -z}, material);  // bottom
    return data;
}

Mesh_Data Floor(float width, float depth, int cells, float repeat, Material* material) {
    Mesh_Data data;
    const float cw = width / float(cells), cd = depth / float(cells), step = repeat / float(cells);
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            const Vec3 centre{-width * 0.5f + cw * (float(i) + 0.5f), 0.0f, -depth * 0.5f + cd * (float(j) + 0.5f)};
            const std::size_t face = data.faces.size();
            Add_Quad(data, centre, {cw * 0.5f, 0, 0}, {0, 0, cd * 0.5f}, material, step, step);
            // Continue the map across cells instead of restarting it in each.
            for (Mesh_Corner& corner : data.faces[face].corners) {
                corner.u += step * float(i);
                corner.v += step * float(cells - 1 - j);
            }
        }
    return data;
}

Mesh_Data Pane(float width, float height, Material* material, int cells, float repeat) {
    Mesh_Data data;
    const float cw = width / float(cells), ch = height / float(cells), step = repeat / float(cells);
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            const Vec3 centre{-width * 0.5f + cw * (float(i) + 0.5f), height * 0.5f - ch * (float(j) + 0.5f), 0.0f};
            const std::size_t face = data.faces.size();
            Add_Quad(data, centre, {cw * 0.5f, 0, 0}, {0, ch * 0.5f, 0}, material, step, step);
            for (Mesh_Corner& corner : data.faces[face].corners) {
                corner.u += step * float(i);
                corner.v += step * float(j);
            }
        }
    return data;
}

Mesh_Data Sphere(float radius, int slices, int stacks, Material* material) {
    Mesh_Data data;
    // Longitude grows towards +x seen from the front (-z); latitude from the top.
    for (int i = 0; i <= stacks; ++i) {
        double sp, cp;
        Sin_Cos(pi * double(i) / double(stacks), sp, cp);
        for (int j = 0; j <= slices; ++j) {
            double st, ct;
            Sin_Cos(2.0 * pi * double(j) / double(slices), st, ct);
            const Vec3 n{float(sp * st), float(cp), float(-sp * ct)};
            data.positions.push_back(n * radius);
            data.normals.push_back(n);
        }
    }
    const auto at = [slices](int i, int j) { return std::uint32_t(i * (slices + 1) + j); };
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j) {
            const float u0 = float(j) / float(slices), u1 = float(j + 1) / float(slices);
            const float v0 = float(i) / float(stacks), v1 = float(i + 1) / float(stacks);
            const Mesh_Corner tl{at(i, j), u0, v0}, tr{at(i, j + 1), u1, v0};
            const Mesh_Corner br{at(i + 1, j + 1), u1, v1}, bl{at(i + 1, j), u0, v1};
            if (i == 0)
                data.faces.push_back({{tl, br, bl}, material});
            else if (i == stacks - 1)
                data.faces.push_back({{tl, tr, br}, material});
            else
                data.faces.push_back({{tl, tr, br, bl}, material});
        }
    return data;
}

Mesh_Data Pillar(float radius, float height, int sides, Material* side, Material* caps) {
    Mesh_Data data;
    const float h = height * 0.5f;
    // Side ring: top and bottom vertex per column, sharing normals around.
    for (int j = 0; j <= sides; ++j) {
        double s, c;
        Sin_Cos(2.0 * pi * double(j) / double(sides), s, c);
        const Vec3 n{float(s), 0.0f, float(-c)};
        data.positions.push_back(Vec3{n.x * radius, h, n.z * radius});
        data.positions.push_back(Vec3{n.x * radius, -h, n.z * radius});
        data.normals.push_back(n);
        data.normals.push_back(n);
    }
    for (int j = 0; j < sides; ++j) {
        const std::uint32_t a = std::uint32_t(2 * j);
        const float u0 = float(j) / float(sides), u1 = float(j + 1) / float(sides);
        data.faces.push_back({{{a, u0, 0}, {a + 2, u1, 0}, {a + 3, u1, 1}, {a + 1, u0, 1}}, side});
    }
    // Caps with their own flat-normal vertices.
    for (int end = 0; end < 2; ++end) {
        const float y = end == 0 ? h : -h;
        const Vec3 n{0.0f, end == 0 ? 1.0f : -1.0f, 0.0f};
        const std::uint32_t first = std::uint32_t(data.positions.size());
        Mesh_Face cap{{}, caps};
        for (int j = 0; j < sides; ++j) {
            double s, c;
            Sin_Cos(2.0 * pi * double(j) / double(sides), s, c);
            data.positions.push_back(Vec3{float(s) * radius, y, float(-c) * radius});
            data.normals.push_back(n);
            cap.corners.push_back({first + std::uint32_t(j), 0.5f + 0.5f * float(s), 0.5f + 0.5f * float(c)});
        }
        // The ring as listed runs clockwise seen from below; the top cap is
        // seen from above and needs it reversed.
        if (end == 0) std::reverse(cap.corners.begin(), cap.corners.end());
        data.faces.push_back(cap);
    }
    return data;
}

}  // namespace quorvel_host
