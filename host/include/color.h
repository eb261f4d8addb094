// Color: three single-precision channels (red, green, blue), as the host defines it.
#pragma once

class Color {
public:
    float r, g, b;

    Color() { }
    Color(float R, float G, float B) : r(R), g(G), b(B) { }
    explicit Color(const float* rgb) : r(rgb[0]), g(rgb[1]), b(rgb[2]) { }

    float& operator[](int i) { return (&r)[i]; }
    const float& operator[](int i) const { return (&r)[i]; }

    Color operator+(const Color& c) const { return Color(r + c.r, g + c.g, b + c.b); }
    Color operator-(const Color& c) const { return Color(r - c.r, g - c.g, b - c.b); }
    Color operator*(float f) const { return Color(r * f, g * f, b * f); }
    Color& operator+=(const Color& c)
    {
        r += c.r;
        g += c.g;
        b += c.b;
        return *this;
    }
    Color& operator-=(const Color& c)
    {
        r -= c.r;
        g -= c.g;
        b -= c.b;
        return *this;
    }
    Color& operator*=(float f)
    {
        r *= f;
        g *= f;
        b *= f;
        return *this;
    }
    bool operator==(const Color& c) const { return r == c.r && g == c.g && b == c.b; }
    bool operator!=(const Color& c) const { return !(*this == c); }

    void Black() { r = g = b = 0.0f; }
    void White() { r = g = b = 1.0f; }

    // Limits each channel to 0..1.
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
    }
};
