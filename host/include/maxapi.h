// The host's core interface and the identity of the host application.
#pragma once

#include "maxtypes.h"
#include "plugapi.h"

// Host applications (GetAppID).
#define kAPP_NONE  0
#define kAPP_MAX   1
#define kAPP_VIZ   2
#define kAPP_GMAX  3
#define kAPP_PLASMA 4
#define kAPP_VIZR  5

// Which host application the plug-in runs in.
CoreExport int GetAppID();

class ReferenceTarget;

#define REDRAW_NORMAL 0

class CoreExport Interface {
public:
    virtual ~Interface();
    virtual TimeValue GetTime();
    virtual void SetTime(TimeValue t, BOOL redraw = TRUE);
    virtual HWND GetMAXHWnd();
    virtual void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL,
                             ReferenceTarget* change = NULL);
    // A new object of a registered class, or NULL when no class has these ids.
    virtual void* CreateInstance(SClass_ID superID, Class_ID classID);
};

CoreExport Interface* GetCOREInterface();
