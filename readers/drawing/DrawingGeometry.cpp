#include "readers/drawing/DrawingGeometry.h"

namespace drawing {

Vector3d Normalized(const Vector3d& a) {
    const double length = Length(a);
    return length > 0 ? (1 / length) * a : a;
}

Matrix3d::Matrix3d() {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) m_[r][c] = r == c ? 1.0 : 0.0;
    }
}

Matrix3d Matrix3d::Translation(const Vector3d& offset) {
    Matrix3d m;
    m.m_[0][3] = offset.x;
    m.m_[1][3] = offset.y;
    m.m_[2][3] = offset.z;
    return m;
}

Matrix3d Matrix3d::RotationZ(double radians) {
    Matrix3d m;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    m.m_[0][0] = c;
    m.m_[0][1] = -s;
    m.m_[1][0] = s;
    m.m_[1][1] = c;
    return m;
}

Matrix3d Matrix3d::Scaling(double sx, double sy, double sz) {
    Matrix3d m;
    m.m_[0][0] = sx;
    m.m_[1][1] = sy;
    m.m_[2][2] = sz;
    return m;
}

Matrix3d Matrix3d::FromAxes(const Vector3d& xAxis, const Vector3d& yAxis, const Vector3d& zAxis,
                            const Point3d& origin) {
    Matrix3d m;
    const Vector3d* axes[3] = {&xAxis, &yAxis, &zAxis};
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) m.m_[r][c] = (*axes[c])[r];
    }
    for (int r = 0; r < 3; ++r) m.m_[r][3] = origin[r];
    return m;
}

Matrix3d operator*(const Matrix3d& a, const Matrix3d& b) {
    Matrix3d m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m_[r][k] * b.m_[k][c];
            m.m_[r][c] = sum;
        }
    }
    return m;
}

Point3d Matrix3d::TransformPoint(const Point3d& p) const {
    const Vector3d v = TransformVector(p);
    return {v.x + m_[0][3], v.y + m_[1][3], v.z + m_[2][3]};
}

Vector3d Matrix3d::TransformVector(const Vector3d& v) const {
    return {m_[0][0] * v.x + m_[0][1] * v.y + m_[0][2] * v.z,
            m_[1][0] * v.x + m_[1][1] * v.y + m_[1][2] * v.z,
            m_[2][0] * v.x + m_[2][1] * v.y + m_[2][2] * v.z};
}

Matrix3d OcsToWorld(const Vector3d& normal) {
    Vector3d n = Normalized(normal);
    if (Length(n) == 0) n = {0, 0, 1};
    constexpr double kLimit = 1.0 / 64;
    const Vector3d ax =
        Normalized(std::abs(n.x) < kLimit && std::abs(n.y) < kLimit ? Cross({0, 1, 0}, n)
                                                                    : Cross({0, 0, 1}, n));
    const Vector3d ay = Normalized(Cross(n, ax));
    return Matrix3d::FromAxes(ax, ay, n);
}

}  // namespace drawing
