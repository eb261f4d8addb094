// Host-side switches for programs and tests: the host application id that GetAppID reports,
// what happens on an out-of-range table index, and the assertions plug-ins reported.
#pragma once

#include "../maxtypes.h"

namespace host {

// Sets what GetAppID returns (default 1, the full application; kAPP_VIZR is 5).
CoreExport void SetAppID(int appID);

// Called with the bad index and the table's count. The default writes a message to stderr and
// the debugger and aborts the program. A handler must not return (a test may throw); if it
// returns, the program is aborted all the same.
typedef void (*TabIndexHandler)(int index, int count);
// Installs handler (NULL restores the default); returns the one it replaces.
CoreExport TabIndexHandler SetTabIndexHandler(TabIndexHandler handler);

// How many DbgAssert expressions were false since the program started, and the last one's
// "file:line: expression" text.
CoreExport int AssertionCount();
CoreExport const char* LastAssertion();

} // namespace host
