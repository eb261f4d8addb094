// The host's core interface and the identity of the host application.
#pragma once

#include "maxtypes.h"
#include "plugapi.h"

// Host applications (GetAppID): 1 is the full application, the host's default; kAPP_VIZR (5)
// is the edition that hides some classes from its create lists.
#define kAPP_NONE 0
#define kAPP_VIZR 5

// Which host application the plug-in runs in.
CoreExport int GetAppID();

class ReferenceTarget;

#define REDRAW_NORMAL 0

class CoreExport Interface {
public:
    virtual ~Interface();
    virtual TimeValue GetTime();
    virtual void SetTime(TimeValue t, BOOL redraw = TRUE);
    // The host application's main window (NULL when it has none).
    virtual HWND GetMainHWnd();
    virtual void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL,
                             ReferenceTarget* change = NULL);
    // A new object of a registered class, or NULL when no class has these ids.
    virtual void* CreateInstance(SClass_ID superID, Class_ID classID);
};

CoreExport Interface* GetCOREInterface();
