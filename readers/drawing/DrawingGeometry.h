// Plain geometric values of the drawing model: points, vectors, the 4x4
// transform of block references and the object coordinate systems of planar
// entities.
#pragma once

#include <cmath>

namespace drawing {

struct Point2d {
    double x = 0;
    double y = 0;

    double operator[](int i) const { return i == 0 ? x : y; }
    friend bool operator==(const Point2d&, const Point2d&) = default;
};

// A point or a vector in three dimensions, read by index (0 x, 1 y, 2 z) too.
struct Point3d {
    double x = 0;
    double y = 0;
    double z = 0;

    double operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
    friend bool operator==(const Point3d&, const Point3d&) = default;
    friend Point3d operator+(const Point3d& a, const Point3d& b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z};
    }
    friend Point3d operator-(const Point3d& a, const Point3d& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z};
    }
    friend Point3d operator*(double s, const Point3d& a) { return {s * a.x, s * a.y, s * a.z}; }
};
using Vector3d = Point3d;

inline double Dot(const Vector3d& a, const Vector3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vector3d Cross(const Vector3d& a, const Vector3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vector3d& a) {
    return std::sqrt(Dot(a, a));
}
// The unit vector along `a`; the zero vector stays zero.
Vector3d Normalized(const Vector3d& a);

// A 4x4 matrix addressed as (row, column); points are columns, so
// Transform(p) = M * (x, y, z, 1). Only rows 0 to 2 carry an affine transform.
class Matrix3d {
public:
    Matrix3d();  // identity
    static Matrix3d Translation(const Vector3d& offset);
    static Matrix3d RotationZ(double radians);
    static Matrix3d Scaling(double sx, double sy, double sz);
    // The columns are the images of the x, y and z axes; `origin` the image of 0.
    static Matrix3d FromAxes(const Vector3d& xAxis, const Vector3d& yAxis, const Vector3d& zAxis,
                             const Point3d& origin = {});

    double operator()(int row, int column) const { return m_[row][column]; }
    double& operator()(int row, int column) { return m_[row][column]; }
    friend Matrix3d operator*(const Matrix3d& a, const Matrix3d& b);
    friend bool operator==(const Matrix3d&, const Matrix3d&) = default;

    Point3d TransformPoint(const Point3d& p) const;
    Vector3d TransformVector(const Vector3d& v) const;

private:
    double m_[4][4];
};

// The object coordinate system of a planar entity with extrusion `normal`, by
// the arbitrary-axis rule: its x axis is Wy x N when N lies within 1/64 of
// the world z axis, Wz x N otherwise. A zero normal counts as the world z
// axis. Point columns map object coordinates to world coordinates.
Matrix3d OcsToWorld(const Vector3d& normal);

}  // namespace drawing
