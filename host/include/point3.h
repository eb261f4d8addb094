// Point3: a three-component single-precision vector, as the host defines it.
#pragma once

class Point3 {
public:
    float x, y, z;

    Point3() { }
    Point3(float X, float Y, float Z) : x(X), y(Y), z(Z) { }
    Point3(double X, double Y, double Z) : x((float)X), y((float)Y), z((float)Z) { }
    Point3(int X, int Y, int Z) : x((float)X), y((float)Y), z((float)Z) { }
    explicit Point3(const float* xyz) : x(xyz[0]), y(xyz[1]), z(xyz[2]) { }

    float& operator[](int i) { return (&x)[i]; }
    const float& operator[](int i) const { return (&x)[i]; }

    Point3 operator-() const { return Point3(-x, -y, -z); }
    Point3 operator+(const Point3& p) const { return Point3(x + p.x, y + p.y, z + p.z); }
    Point3 operator-(const Point3& p) const { return Point3(x - p.x, y - p.y, z - p.z); }
    Point3 operator*(float f) const { return Point3(x * f, y * f, z * f); }
    Point3 operator/(float f) const { return Point3(x / f, y / f, z / f); }
    Point3& operator+=(const Point3& p)
    {
        x += p.x;
        y += p.y;
        z += p.z;
        return *this;
    }
    Point3& operator-=(const Point3& p)
    {
        x -= p.x;
        y -= p.y;
        z -= p.z;
        return *this;
    }
    Point3& operator*=(float f)
    {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }
    bool operator==(const Point3& p) const { return x == p.x && y == p.y && z == p.z; }
    bool operator!=(const Point3& p) const { return !(*this == p); }
};

inline Point3 operator*(float f, const Point3& p) { return Point3(p.x * f, p.y * f, p.z * f); }
