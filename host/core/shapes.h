// Meshes built from numbers: boxes, floors, spheres, pillars, panes. Each
// face winds clockwise seen from its front, and u, v run across the image
// from its top left corner.
#ifndef QUORVEL_HOST_SHAPES_H
#define QUORVEL_HOST_SHAPES_H

#include "core/mesh.h"

namespace quorvel_host {

// A quad seen from its front: `right` and `up` are half the edge vectors as
// a viewer in front sees them; u runs along right, v down along -up.
void Add_Quad(Mesh_Data& data, Vec3 centre, Vec3 right, Vec3 up, Material* material, float u_repeat = 1.0f,
              float v_repeat = 1.0f);

// Box centred on the origin with hard edges (its own four corners per side).
Mesh_Data Box(Vec3 size, Material* material);
// Horizontal grid facing up, `cells` x `cells` quads, the map repeated `repeat` times across.
Mesh_Data Floor(float width, float depth, int cells, float repeat, Material* material);
// Vertical pane facing -z (towards a camera on the -z side), optionally subdivided.
Mesh_Data Pane(float width, float height, Material* material, int cells = 1, float repeat = 1.0f);
// Smooth sphere of `slices` x `stacks` faces; triangles at the poles.
Mesh_Data Sphere(float radius, int slices, int stacks, Material* material);
// Upright cylinder with capped ends, smooth sides.
Mesh_Data Pillar(float radius, float height, int sides, Material* side, Material* caps);

}  // namespace quorvel_host

#endif
