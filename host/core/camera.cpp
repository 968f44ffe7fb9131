// The perspective camera and the outcode rule the library relies on.
#include "core/camera.h"

namespace quorvel_host {

namespace {

void QUORVEL_CDECL Prepare_Camera(void* camera_object, Host_Scene* scene) {
    static_cast<Camera_Node*>(camera_object)->camera->Prepare(*scene);
}

}  // namespace

std::uint32_t Outcode(Vec3 p, float near_z, float far_z) {
    std::uint32_t code = 0;
    if (p.z >= near_z) code |= Outcode_Near;
    if (p.z <= far_z) code |= Outcode_Far;
    if (p.x >= -p.z) code |= Outcode_Left;
    if (p.x <= p.z) code |= Outcode_Right;
    if (p.y <= p.z) code |= Outcode_Top;  // camera y grows up, screen y down
    if (p.y >= -p.z) code |= Outcode_Bottom;
    return code;
}

Camera::Camera() {
    node_.record = {};
    node_.record.operations = &operations_;
    node_.camera = this;
    operations_.prepare = Prepare_Camera;
}

void Camera::Look_At(Vec3 eye, Vec3 target, Vec3 up) {
    eye_ = eye;
    target_ = target;
    forward_ = Normalise(target - eye);
    // Camera space is left-handed (x right, y up, z forward), like the world.
    right_ = Normalise(Cross(up, forward_));
    if (Length(right_) == 0.0f) right_ = Normalise(Cross(Vec3{0, 0, 1}, forward_));
    up_ = Cross(forward_, right_);
}

void Camera::Orbit(Vec3 target, float yaw_degrees, float pitch_degrees, float distance) {
    double sy, cy, sp, cp;
    Sin_Cos(Radians(yaw_degrees), sy, cy);
    Sin_Cos(Radians(pitch_degrees), sp, cp);
    // Yaw 0 looks along +z from the -z side; positive yaw walks towards +x.
    const Vec3 offset{float(-sy * cp * distance), float(sp * distance), float(-cy * cp * distance)};
    Look_At(target + offset, target);
}

void Camera::Prepare(Host_Scene& scene) {
    const float width = float(viewport_.width), height = float(viewport_.height);
    tan_half_y_ = float(Tan(Radians(fov_y_degrees_) * 0.5));
    // Square pixels: the horizontal half-angle follows the aspect.
    tan_half_x_ = tan_half_y_ * width / height;

    Mat3 rotation;  // rows: the camera axes in world space
    const Vec3 axes[3] = {right_, up_, forward_};
    for (int r = 0; r < 3; ++r) {
        rotation.m[r][0] = axes[r].x;
        rotation.m[r][1] = axes[r].y;
        rotation.m[r][2] = axes[r].z;
    }
    world_to_view_ = {rotation, -(rotation * eye_)};
    // Baking the field of view into x and y puts the side planes at x = +-z
    // and y = +-z whatever the lens, so the library's clip planes never move.
    const Transform bake{Scaling(1.0f / tan_half_x_, 1.0f / tan_half_y_, 1.0f), {}};
    world_to_camera_ = bake * world_to_view_;

    record_.scale_x = width * 0.5f;
    record_.scale_y = height * 0.5f;
    record_.centre_x = float(viewport_.x) + record_.scale_x;
    record_.centre_y = float(viewport_.y) + record_.scale_y;
    // The bounds are the images of the side planes, as the clip functions
    // assume; with whole-pixel viewports they are whole numbers.
    record_.clip_right = record_.centre_x + record_.scale_x;
    record_.clip_bottom = record_.centre_y + record_.scale_y;
    record_.inv_scale_x = 1.0f / record_.scale_x;
    record_.inv_scale_y = 1.0f / record_.scale_y;
    record_.centre_x_over_scale = record_.centre_x / record_.scale_x;
    record_.centre_y_over_scale = record_.centre_y / record_.scale_y;

    scene.clip_left = record_.centre_x - record_.scale_x;
    scene.clip_top = record_.centre_y - record_.scale_y;
    scene.near_z = near_z_;
    scene.far_z = far_z_;
    scene.camera = &record_;
}

}  // namespace quorvel_host
