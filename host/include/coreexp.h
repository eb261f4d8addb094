// Export and import of the host's core library. The host's own code builds with BUILD_CORE and
// exports; plug-ins and host programs import the same classes, functions and globals.
#pragma once

#ifdef BUILD_CORE
#define CoreExport __declspec(dllexport)
#else
#define CoreExport __declspec(dllimport)
#endif

#define UtilExport CoreExport
#define GeomExport CoreExport
#define PB2Export CoreExport
#define ScripterExport CoreExport
