// Value rules the texture applies wherever values come from outside (scripts, scene files).
#pragma once

// The lowest gamma the Output stage is given, as the editor's spinner keeps it.
static const float kMinOutputGamma = 0.001f;

// False for infinities and NaN: both give NaN when subtracted from themselves.
inline bool IsFiniteFloat(float x)
{
    return x - x == 0.0f;
}
