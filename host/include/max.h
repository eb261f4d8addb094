// Everything a plug-in usually needs from the host SDK.
#pragma once

#include "maxtypes.h"
#include "strclass.h"
#include "tab.h"
#include "interval.h"
#include "acolor.h"
#include "color.h"
#include "point3.h"
#include "baseinterface.h"
#include "animtbl.h"
#include "ioapi.h"
#include "ref.h"
#include "plugapi.h"
#include "imtl.h"
#include "hold.h"
#include "maxapi.h"
#include "custcont.h"
