// The perspective camera: where the eye is, where it looks, its field of view
// and the viewport rectangle in the frame buffer. It bakes the field of view
// and the viewport's aspect into camera space, so that the library's view
// volume is always the square pyramid x = +-z, y = +-z, and keeps the derived
// words of the camera record consistent with the projection.
#ifndef QUORVEL_HOST_CAMERA_H
#define QUORVEL_HOST_CAMERA_H

#include <cstdint>

#include "core/maths.h"
#include "quorvel/host_records.h"

namespace quorvel_host {

class Camera;

// Rectangle of the frame buffer the camera draws into, in whole pixels.
struct Viewport {
    std::int32_t x = 0, y = 0, width = 320, height = 240;
};

// The library calls the camera object's entry 0 at the start of every frame
// and pick; the record sits first so the pointer it passes is the node's.
struct Camera_Node {
    Host_Camera_Object record;
    Camera* camera;
};

// Outcode of a point in (baked) camera space against the six planes; a point
// on a plane counts as inside it.
std::uint32_t Outcode(Vec3 camera_point, float near_z, float far_z);

class Camera {
public:
    Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    void Look_At(Vec3 eye, Vec3 target, Vec3 up = {0, 1, 0});
    // Looks at `target` from `distance` away, turned `yaw` degrees about the
    // vertical and raised `pitch` degrees above the horizontal.
    void Orbit(Vec3 target, float yaw_degrees, float pitch_degrees, float distance);
    void Set_Field_Of_View(float vertical_degrees) { fov_y_degrees_ = vertical_degrees; }
    void Set_Viewport(Viewport viewport) { viewport_ = viewport; }
    void Set_Depth_Range(float near_z, float far_z) {
        near_z_ = near_z;
        far_z_ = far_z;
    }

    // Recomputes the camera transform and the camera record, and writes the
    // scene's camera fields (clip_left, clip_top, near_z, far_z, camera).
    // The camera object's prepare entry does exactly this every frame.
    void Prepare(Host_Scene& scene);

    Host_Camera_Object* Object_Record() { return &node_.record; }
    const Host_Camera& Record() const { return record_; }
    Viewport Get_Viewport() const { return viewport_; }
    float Near() const { return near_z_; }
    float Far() const { return far_z_; }
    Vec3 Position() const { return eye_; }
    Vec3 Target() const { return target_; }

    // World to camera space with the field of view baked in (valid after
    // Prepare): what op9 writes into the vertex arrays.
    const Transform& World_To_Camera() const { return world_to_camera_; }
    // World to the unscaled view space (x right, y up, z forward, metres):
    // where bounding spheres stay spheres.
    const Transform& World_To_View() const { return world_to_view_; }
    // tan of half the horizontal and vertical field of view (after Prepare).
    float Tan_Half_X() const { return tan_half_x_; }
    float Tan_Half_Y() const { return tan_half_y_; }

private:
    Camera_Node node_;
    Camera_Operations operations_{};
    Host_Camera record_{};
    Vec3 eye_{0, 0, -5};
    Vec3 target_{0, 0, 0};
    Vec3 forward_{0, 0, 1}, up_{0, 1, 0}, right_{1, 0, 0};
    float fov_y_degrees_ = 60.0f;
    Viewport viewport_;
    float near_z_ = 0.5f, far_z_ = 1000.0f;
    float tan_half_x_ = 1.0f, tan_half_y_ = 1.0f;
    Transform world_to_view_, world_to_camera_;
};

}  // namespace quorvel_host

#endif
