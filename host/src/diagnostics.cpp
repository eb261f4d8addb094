// Host switches: the application id, the handling of table index faults and the assertions
// that plug-ins report.
#include "host/diagnostics.h"
#include "assert1.h"
#include "maxapi.h"
#include "tab.h"

#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <string>

namespace {
std::atomic<int> appID(1); // the full application
std::atomic<host::TabIndexHandler> tabHandler(nullptr);
std::atomic<int> assertions(0);
std::mutex lastAssertionLock;
std::string lastAssertion;

void Report(const char* text)
{
    fputs(text, stderr);
    fflush(stderr);
    OutputDebugStringA(text);
}
} // namespace

int GetAppID() { return appID.load(); }

namespace host {

void SetAppID(int id) { appID.store(id); }

TabIndexHandler SetTabIndexHandler(TabIndexHandler handler) { return tabHandler.exchange(handler); }

int AssertionCount() { return assertions.load(); }

const char* LastAssertion()
{
    std::lock_guard<std::mutex> hold(lastAssertionLock);
    return lastAssertion.c_str();
}

} // namespace host

void TabIndexError(int index, int count)
{
    host::TabIndexHandler handler = tabHandler.load();
    if (handler) handler(index, count);
    char text[160];
    snprintf(text, sizeof text,
             "host: table index %d out of range (table has %d entries); stopping\n", index, count);
    Report(text);
    abort();
}

void TabMemoryError(int count)
{
    char text[120];
    snprintf(text, sizeof text, "host: out of memory for a table of %d entries; stopping\n", count);
    Report(text);
    abort();
}

void assert1(int line, const char* file, const char* function, const char* expression)
{
    char text[512];
    snprintf(text, sizeof text, "%s:%d: %s%sassertion failed: %s\n", file ? file : "?", line,
             function ? function : "", function ? ": " : "", expression ? expression : "?");
    {
        std::lock_guard<std::mutex> hold(lastAssertionLock);
        lastAssertion = text;
        if (!lastAssertion.empty() && lastAssertion.back() == '\n') lastAssertion.pop_back();
    }
    assertions.fetch_add(1);
    Report(text);
}
