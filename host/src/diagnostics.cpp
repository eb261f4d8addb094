// Host switches: the application id and the handling of table index faults.
#include "host/diagnostics.h"
#include "maxapi.h"
#include "tab.h"

#include <stdio.h>
#include <stdlib.h>

#include <atomic>

namespace {
std::atomic<int> appID(1);   // the full application
std::atomic<host::TabIndexHandler> tabHandler(nullptr);

void Report(const char* text) {
    fputs(text, stderr);
    fflush(stderr);
    OutputDebugStringA(text);
}
}  // namespace

int GetAppID() { return appID.load(); }

namespace host {

void SetAppID(int id) { appID.store(id); }

TabIndexHandler SetTabIndexHandler(TabIndexHandler handler) { return tabHandler.exchange(handler); }

}  // namespace host

void TabIndexError(int index, int count) {
    host::TabIndexHandler handler = tabHandler.load();
    if (handler) handler(index, count);
    char text[160];
    snprintf(text, sizeof text, "host: table index %d out of range (table has %d entries); stopping\n",
             index, count);
    Report(text);
    abort();
}

void TabMemoryError(int count) {
    char text[120];
    snprintf(text, sizeof text, "host: out of memory for a table of %d entries; stopping\n", count);
    Report(text);
    abort();
}
