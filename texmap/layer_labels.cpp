// The layers' labels.
#include "layer_labels.h"

#include <wchar.h>

#include "blend_modes.h"
#include "vorlith_classdesc.h"
#include "vorlith_values.h"

MSTR ResString(int id)
{
    const TCHAR* text = LoadResString(id);
    return MSTR(text ? text : _T(""));
}

// The character after "L: <number>, " at the start of name, or null when it does not start so.
static const MCHAR* AfterLabelStart(const MCHAR* name)
{
    if (name[0] != _T('L') || name[1] != _T(':') || name[2] != _T(' ')) return NULL;
    const MCHAR* p = name + 3;
    if (*p == _T('-')) ++p;
    if (*p < _T('0') || *p > _T('9')) return NULL;
    while (*p >= _T('0') && *p <= _T('9'))
        ++p;
    if (p[0] != _T(',') || p[1] != _T(' ')) return NULL;
    return p + 2;
}

MSTR StripLayerLabel(const MCHAR* name)
{
    if (!name) return MSTR();
    const MCHAR* rest = AfterLabelStart(name);
    const MCHAR* separator = rest ? wcsstr(rest, _T("| ")) : NULL;
    return MSTR(separator ? separator + 2 : name);
}

static MSTR OpacityText(float opacity)
{
    MSTR text;
    if (opacity != opacity)
        text = _T("nan");
    else if (!IsFiniteFloat(opacity))
        text = opacity > 0.0f ? _T("inf") : _T("-inf");
    else if (opacity > -2147483648.0f && opacity < 2147483648.0f)
        text.printf(_T("%d"), (int)opacity);
    else
        text.printf(_T("%.0f"), (double)opacity); // a float this large is a whole number
    return text;
}

MSTR MapLabel(int layer, int mode, float opacity, const MCHAR* name)
{
    MSTR modeName;
    if (mode >= 0 && mode < BLEND_MODE_COUNT)
        modeName = ResString(kBlendModes[mode].nameId);
    else
        modeName.printf(_T("%d"), mode);
    const MSTR percent = OpacityText(opacity);
    MSTR label;
    label.printf(_T("L: %d, %s, %s | %s"), layer, modeName.data(), percent.data(),
                 name ? name : _T(""));
    return label;
}

MSTR MaskLabel(int layer, const MCHAR* name)
{
    MSTR label;
    label.printf(_T("L: %d, Mask | %s"), layer, name ? name : _T(""));
    return label;
}
