// AColor: a colour with alpha, four single-precision floats, as the host defines it.
#pragma once

#include "color.h"

class AColor {
public:
    float r, g, b, a;

    AColor() { }
    AColor(float R, float G, float B, float A = 1.0f) : r(R), g(G), b(B), a(A) { }
    AColor(const Color& c, float A = 1.0f) : r(c.r), g(c.g), b(c.b), a(A) { }
    explicit AColor(const float* rgba) : r(rgba[0]), g(rgba[1]), b(rgba[2]), a(rgba[3]) { }

    float& operator[](int i) { return (&r)[i]; }
    const float& operator[](int i) const { return (&r)[i]; }
    operator Color() const { return Color(r, g, b); }

    AColor operator+(const AColor& c) const { return AColor(r + c.r, g + c.g, b + c.b, a + c.a); }
    AColor operator-(const AColor& c) const { return AColor(r - c.r, g - c.g, b - c.b, a - c.a); }
    AColor operator*(float f) const { return AColor(r * f, g * f, b * f, a * f); }
    AColor& operator+=(const AColor& c)
    {
        r += c.r;
        g += c.g;
        b += c.b;
        a += c.a;
        return *this;
    }
    AColor& operator-=(const AColor& c)
    {
        r -= c.r;
        g -= c.g;
        b -= c.b;
        a -= c.a;
        return *this;
    }
    AColor& operator*=(float f)
    {
        r *= f;
        g *= f;
        b *= f;
        a *= f;
        return *this;
    }
    bool operator==(const AColor& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
    bool operator!=(const AColor& c) const { return !(*this == c); }

    void Black()
    {
        r = g = b = 0.0f;
        a = 1.0f;
    }
    void White()
    {
        r = g = b = 1.0f;
        a = 1.0f;
    }

    // Limits each of r, g, b and a to 0..1. A NaN channel fails both tests and stays as it is.
    void ClampMinMax()
    {
        if (r < 0.0f)
            r = 0.0f;
        else if (r > 1.0f)
            r = 1.0f;
        if (g < 0.0f)
            g = 0.0f;
        else if (g > 1.0f)
            g = 1.0f;
        if (b < 0.0f)
            b = 0.0f;
        else if (b > 1.0f)
            b = 1.0f;
        if (a < 0.0f)
            a = 0.0f;
        else if (a > 1.0f)
            a = 1.0f;
    }
};
