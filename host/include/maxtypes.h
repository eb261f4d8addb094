// Basic types of the host: characters, strings literals, times, class identifiers.
#pragma once

#include <windows.h>
#include <tchar.h>
#include <stddef.h>

#include "coreexp.h"

// Characters of the host's strings: wide, as in every Unicode build of the host.
typedef wchar_t MCHAR;
typedef wchar_t mwchar_t;
#ifndef _M
#define _M(x) L##x
#endif

// Time in ticks; 4800 ticks a second.
typedef int TimeValue;
#define TIME_TICKSPERSEC 4800
#define TIME_NegInfinity TimeValue(0x80000000)
#define TIME_PosInfinity TimeValue(0x7fffffff)

// Super class identifier: what family a class belongs to.
typedef ULONG SClass_ID;

// Class identifier: two words that name a class across every plug-in.
class Class_ID {
    ULONG a, b;

public:
    Class_ID() : a(0xffffffff), b(0xffffffff) { }
    Class_ID(ULONG aa, ULONG bb) : a(aa), b(bb) { }
    ULONG PartA() const { return a; }
    ULONG PartB() const { return b; }
    void SetPartA(ULONG aa) { a = aa; }
    void SetPartB(ULONG bb) { b = bb; }
    int operator==(const Class_ID& cid) const { return a == cid.a && b == cid.b; }
    int operator!=(const Class_ID& cid) const { return a != cid.a || b != cid.b; }
    bool operator<(const Class_ID& cid) const { return a < cid.a || (a == cid.a && b < cid.b); }
};

// Parameter block identifiers.
typedef short BlockID;
typedef short ParamID;
typedef short MapID;
