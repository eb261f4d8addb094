// Custom controls of the host's dialogs: the kinds of spinner editing a parameter can declare.
#pragma once

#include "maxtypes.h"

enum EditSpinnerType {
    EDITTYPE_INT = 1,
    EDITTYPE_FLOAT,
    EDITTYPE_UNIVERSE,
    EDITTYPE_POS_INT,
    EDITTYPE_POS_FLOAT,
    EDITTYPE_POS_UNIVERSE,
    EDITTYPE_TIME
};

// Spinner scale that follows the value's size.
#define SPIN_AUTOSCALE -1.0f
