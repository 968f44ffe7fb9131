// Vectors, 3x3 matrices and rigid-plus-scale transforms for the host engine.
// Everything here uses only IEEE +, -, *, / and sqrt, never the C library's
// sin/cos: the native, sanitizer and 32-bit builds must place every vertex on
// the same bits, and libm's trigonometry differs between the two widths.
#ifndef QUORVEL_HOST_MATHS_H
#define QUORVEL_HOST_MATHS_H

#include <cmath>
#include <cstdint>

namespace quorvel_host {

constexpr double pi = 3.14159265358979323846;

// sin and cos from a Taylor series after reduction to [-pi/4, pi/4]; about
// 1e-16 relative error, and the same bits on every build.
inline void Sin_Cos(double angle, double& sine, double& cosine) {
    const double quarter = pi / 2.0;
    const double turns = std::floor(angle / quarter + 0.5);
    const double r = angle - turns * quarter;
    const double r2 = r * r;
    double s = 1.0, c = 1.0, term_s = 1.0, term_c = 1.0;
    for (int k = 1; k <= 10; ++k) {
        term_s *= -r2 / double((2 * k) * (2 * k + 1));
        term_c *= -r2 / double((2 * k - 1) * (2 * k));
        s += term_s;
        c += term_c;
    }
    s *= r;
    // Which quadrant the reduction removed decides the swap and the signs.
    const double q = turns - 4.0 * std::floor(turns / 4.0);
    if (q == 0.0) {
        sine = s;
        cosine = c;
    } else if (q == 1.0) {
        sine = c;
        cosine = -s;
    } else if (q == 2.0) {
        sine = -s;
        cosine = -c;
    } else {
        sine = -c;
        cosine = s;
    }
}
inline double Tan(double angle) {
    double s, c;
    Sin_Cos(angle, s, c);
    return s / c;
}
inline double Radians(double degrees) { return degrees * (pi / 180.0); }

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(float s, Vec3 a) { return a * s; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
// A zero vector stays zero rather than becoming NaN.
inline Vec3 Normalise(Vec3 a) {
    const float length = Length(a);
    return length > 0.0f ? a * (1.0f / length) : Vec3{};
}

// Row-major: m[r][c]; a matrix applied to a column vector.
struct Mat3 {
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

inline Vec3 operator*(const Mat3& a, Vec3 v) {
    return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z, a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
            a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}

inline Mat3 operator*(const Mat3& a, const Mat3& b) {
    Mat3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

inline Mat3 Transposed(const Mat3& a) {
    Mat3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[j][i];
    return r;
}

// The matrix that carries normals along with a linear map: (A^-1)^T, up to a
// positive factor (the cofactor matrix divided by |det|), which is all a
// normal needs. A singular map gives the zero matrix.
inline Mat3 Normal_Matrix(const Mat3& a) {
    const auto& m = a.m;
    Mat3 c;
    c.m[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    c.m[0][1] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    c.m[0][2] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    c.m[1][0] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
    c.m[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
    c.m[1][2] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
    c.m[2][0] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    c.m[2][1] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
    c.m[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    const float det = m[0][0] * c.m[0][0] + m[0][1] * c.m[0][1] + m[0][2] * c.m[0][2];
    const float scale = det > 0.0f ? 1.0f / det : det < 0.0f ? -1.0f / det : 0.0f;
    for (auto& row : c.m)
        for (float& value : row) value *= scale;
    return c;
}

inline Mat3 Scaling(float sx, float sy, float sz) {
    Mat3 r;
    r.m[0][0] = sx;
    r.m[1][1] = sy;
    r.m[2][2] = sz;
    return r;
}

// Rotation by `angle` radians about a unit axis; positive turns y towards z
// about x, z towards x about y and x towards y about z.
inline Mat3 Rotation(Vec3 axis, double angle) {
    double s, c;
    Sin_Cos(angle, s, c);
    const double t = 1.0 - c, x = axis.x, y = axis.y, z = axis.z;
    Mat3 r;
    r.m[0][0] = float(t * x * x + c);
    r.m[0][1] = float(t * x * y - s * z);
    r.m[0][2] = float(t * x * z + s * y);
    r.m[1][0] = float(t * x * y + s * z);
    r.m[1][1] = float(t * y * y + c);
    r.m[1][2] = float(t * y * z - s * x);
    r.m[2][0] = float(t * x * z - s * y);
    r.m[2][1] = float(t * y * z + s * x);
    r.m[2][2] = float(t * z * z + c);
    return r;
}

// Yaw about y, then pitch about x, then roll about z, in degrees.
inline Mat3 Rotation_Degrees(float yaw, float pitch, float roll = 0.0f) {
    return Rotation({0, 1, 0}, Radians(yaw)) * Rotation({1, 0, 0}, Radians(pitch)) * Rotation({0, 0, 1}, Radians(roll));
}

// p' = linear * p + translation.
struct Transform {
    Mat3 linear;
    Vec3 translation;

    Vec3 Apply(Vec3 p) const { return linear * p + translation; }
};

// (a after b): first b, then a.
inline Transform operator*(const Transform& a, const Transform& b) {
    return {a.linear * b.linear, a.linear * b.translation + a.translation};
}

inline Transform Place(Vec3 position, const Mat3& rotation = {}, float scale = 1.0f) {
    return {rotation * Scaling(scale, scale, scale), position};
}

// An upper bound of the factor by which the map can stretch a length. With
// orthogonal columns (a rotation after a scaling, what the scenes build) the
// longest column is exact; otherwise the Frobenius norm bounds it.
inline float Largest_Stretch(const Mat3& a) {
    Vec3 columns[3];
    for (int c = 0; c < 3; ++c) columns[c] = {a.m[0][c], a.m[1][c], a.m[2][c]};
    float longest = 0.0f, sum = 0.0f;
    for (const Vec3& column : columns) {
        const float squared = Dot(column, column);
        sum += squared;
        if (squared > longest) longest = squared;
    }
    const float tolerance = 1e-5f * sum;
    const bool orthogonal = std::fabs(Dot(columns[0], columns[1])) <= tolerance &&
                            std::fabs(Dot(columns[0], columns[2])) <= tolerance &&
                            std::fabs(Dot(columns[1], columns[2])) <= tolerance;
    return std::sqrt(orthogonal ? longest : sum) * 1.0001f;
}

}  // namespace quorvel_host

#endif
