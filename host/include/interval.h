// Interval: a closed range of time over which a value stays valid.
//
// The empty interval (NEVER) has both ends at TIME_NegInfinity and contains no time at all;
// FOREVER reaches from TIME_NegInfinity to TIME_PosInfinity. Intersection of disjoint
// intervals is empty.
#pragma once

#include "maxtypes.h"

class Interval {
    TimeValue start;
    TimeValue end;

public:
    Interval(TimeValue s, TimeValue e)
    {
        if (s <= e) {
            start = s;
            end = e;
        } else {
            start = e;
            end = s;
        }
    }
    Interval() { SetEmpty(); }

    int operator==(const Interval& i) const { return i.start == start && i.end == end; }
    int operator!=(const Interval& i) const { return !(*this == i); }

    int InInterval(const TimeValue t) const { return !Empty() && start <= t && t <= end; }
    int InInterval(const Interval& i) const
    {
        return !Empty() && !i.Empty() && start <= i.start && i.end <= end;
    }
    int Empty() const { return start == TIME_NegInfinity && end == TIME_NegInfinity; }

    void Set(TimeValue s, TimeValue e) { *this = Interval(s, e); }
    void SetStart(TimeValue s) { start = s; }
    void SetEnd(TimeValue e) { end = e; }
    void SetEmpty()
    {
        start = TIME_NegInfinity;
        end = TIME_NegInfinity;
    }
    void SetInfinite()
    {
        start = TIME_NegInfinity;
        end = TIME_PosInfinity;
    }
    void SetInstant(const TimeValue t) { start = end = t; }
    TimeValue Start() const { return start; }
    TimeValue End() const { return end; }
    TimeValue Duration() const { return Empty() ? 0 : end - start + 1; }

    // Intersection: what lies in both; empty when either is empty or they do not overlap.
    Interval operator&(const Interval& i) const
    {
        if (Empty() || i.Empty()) return Interval();
        TimeValue s = start > i.start ? start : i.start;
        TimeValue e = end < i.end ? end : i.end;
        if (s > e) return Interval();
        Interval r;
        r.start = s;
        r.end = e;
        return r;
    }
    Interval& operator&=(const Interval& i) { return (*this = (*this & i)); }

    // Widens the interval so that it contains t.
    Interval& operator+=(const TimeValue t)
    {
        if (Empty())
            SetInstant(t);
        else if (t < start)
            start = t;
        else if (t > end)
            end = t;
        return *this;
    }
};

#define FOREVER Interval(TIME_NegInfinity, TIME_PosInfinity)
#define NEVER Interval()
