// Two-dimensional points and extents shared by the loader's parts.
#pragma once

struct CPoint2d {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const CPoint2d& a, const CPoint2d& b) {
        return a.x == b.x && a.y == b.y;
    }
};

// Minimum and maximum corners.
struct CExtent2d {
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;
};

inline void InitPoint2d(CPoint2d& point) {
    point = CPoint2d{};
}
inline void InitExtent(CExtent2d& extent) {
    extent = CExtent2d{};
}
inline double ExtentWidth(const CExtent2d& extent) {
    return extent.maxX - extent.minX;
}
inline double ExtentHeight(const CExtent2d& extent) {
    return extent.maxY - extent.minY;
}
