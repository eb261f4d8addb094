#include "label_font.h"

#include <cmath>
#include <vector>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_easy_font.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace quiltra {

// The font builds each character from axis-aligned quads on a one-pixel grid; drawing is
// filling those rectangles, scaled.
namespace {
struct Vertex {
    float x, y, z;
    unsigned char color[4];
};
}

static std::string Printable(const std::string& text)
{
    std::string s;
    for (char c : text)
        s += (c >= 32 && c < 127) ? c : '?';
    return s;
}

int LabelWidth(const std::string& text, int scale)
{
    std::string s = Printable(text);
    return stb_easy_font_width(&s[0]) * scale;
}

int LabelHeight(int scale) { return 7 * scale; }

void DrawLabel(FloatImage& image, int x, int y, const std::string& text, int scale,
               const float rgba[4])
{
    std::string s = Printable(text);
    std::vector<Vertex> quads(s.size() * 64 + 64);
    int count = stb_easy_font_print(0.0f, 0.0f, &s[0], nullptr, quads.data(),
                                    (int)(quads.size() * sizeof(Vertex)));
    for (int q = 0; q < count; ++q) {
        const Vertex* v = &quads[(size_t)q * 4];
        float x0 = v[0].x, y0 = v[0].y, x1 = v[0].x, y1 = v[0].y;
        for (int k = 1; k < 4; ++k) {
            x0 = std::fmin(x0, v[k].x);
            x1 = std::fmax(x1, v[k].x);
            y0 = std::fmin(y0, v[k].y);
            y1 = std::fmax(y1, v[k].y);
        }
        int px0 = x + (int)std::lround(x0 * scale), px1 = x + (int)std::lround(x1 * scale);
        int py0 = y + (int)std::lround(y0 * scale), py1 = y + (int)std::lround(y1 * scale);
        for (int py = py0; py < py1; ++py)
            for (int px = px0; px < px1; ++px)
                if (px >= 0 && py >= 0 && px < image.width && py < image.height)
                    for (int c = 0; c < 4; ++c)
                        image.Pixel(px, py)[c] = rgba[c];
    }
}

} // namespace quiltra
