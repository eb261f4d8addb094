// Texts and colours of the layer rows' controls.
#include "row_texts.h"

#include <limits.h>

static bool IsBlank(MCHAR c) { return c == _T(' ') || c == _T('\t'); }

bool ParseWholeNumber(const MCHAR* text, int& value)
{
    if (!text) return false;
    const MCHAR* p = text;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == _T('+') || *p == _T('-')) {
        negative = *p == _T('-');
        ++p;
    }
    if (*p < _T('0') || *p > _T('9')) return false;
    long long magnitude = 0;
    while (*p >= _T('0') && *p <= _T('9')) {
        magnitude = magnitude * 10 + (*p - _T('0'));
        if (magnitude > (long long)INT_MAX + 1) return false;
        ++p;
    }
    while (IsBlank(*p))
        ++p;
    if (*p) return false;
    const long long v = negative ? -magnitude : magnitude;
    if (v > INT_MAX) return false;
    value = (int)v;
    return true;
}

static int SwatchChannel(float c)
{
    const float v = c * 255.0f + 0.5f;
    if (!(v >= 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return (int)v;
}

COLORREF SwatchColor(const Color& c)
{
    return RGB(SwatchChannel(c.r), SwatchChannel(c.g), SwatchChannel(c.b));
}

Color ColorOfSwatch(COLORREF c)
{
    return Color(GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f);
}
