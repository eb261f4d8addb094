// Assertions of plug-in code. DbgAssert(expr) reports a false expression to the host with the
// file and line and then carries on: the host records it (host/diagnostics.h lets programs and
// tests read the count) and writes a message to stderr and the debugger. Code after a
// DbgAssert must therefore still handle the case it asserts against.
#pragma once

#include "maxtypes.h"

CoreExport void assert1(int line, const char* file, const char* function = NULL,
                        const char* expression = NULL);

#define DbgAssert(expr) ((void)((expr) ? 0 : (assert1(__LINE__, __FILE__, __FUNCTION__, #expr), 0)))
