// Tab<T>: the host's growable table of plain values (numbers, colours, pointers).
//
// Entries are moved with memcpy and never constructed or destroyed, so T must be a type that
// can be copied byte by byte. An index outside 0 .. Count() - 1 given to operator[] or Addr is
// a programming error: the host reports it (index, count) through TabIndexError and stops the
// program there instead of reading or writing outside the table. Tests can install their own
// handler (host/diagnostics.h).
#pragma once

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "maxtypes.h"

// Reports an out-of-range table index and does not return.
CoreExport __declspec(noreturn) void TabIndexError(int index, int count);
// Reports that a table could not get memory for count entries and does not return.
CoreExport __declspec(noreturn) void TabMemoryError(int count);

template <class T>
class Tab {
    T* th;
    int count;
    int allocated;

    // Bytes of n entries. A count whose bytes the address space cannot hold (a 32-bit
    // program) is out of memory, never a size that wrapped around.
    static size_t Bytes(int n)
    {
        if ((size_t)n > ((size_t)-1) / sizeof(T)) TabMemoryError(n);
        return sizeof(T) * (size_t)n;
    }
    // count + more entries, which must stay an int.
    int CountPlus(int more) const
    {
        if (more > INT_MAX - count) TabMemoryError(INT_MAX);
        return count + more;
    }
    void Grow(int needed)
    {
        if (needed <= allocated) return;
        int n = allocated > INT_MAX / 2 ? INT_MAX : allocated * 2;
        if (n < needed) n = needed;
        if (n < 4) n = 4;
        T* p = (T*)realloc(th, Bytes(n));
        if (!p) TabMemoryError(n);
        th = p;
        allocated = n;
    }

public:
    Tab() : th(NULL), count(0), allocated(0) { }
    Tab(const Tab& tb) : th(NULL), count(0), allocated(0) { *this = tb; }
    ~Tab() { free(th); }

    void Init()
    {
        th = NULL;
        count = 0;
        allocated = 0;
    }

    int Count() const { return count; }
    // Empties the table and keeps its storage.
    void ZeroCount() { count = 0; }
    // Sets the number of entries; added entries are not initialised. With resize FALSE the
    // storage keeps at least its current size.
    void SetCount(int n, BOOL resize = TRUE)
    {
        if (n < 0) n = 0;
        if (resize && n > allocated)
            Resize(n);
        else
            Grow(n);
        count = n;
    }
    T* Addr(const int i) const
    {
        if (i < 0 || i >= count) TabIndexError(i, count);
        return th + i;
    }
    // Inserts num entries copied from el at index at (0 .. Count()); returns at.
    int Insert(int at, int num, const T* el)
    {
        if (at < 0 || at > count) TabIndexError(at, count);
        if (num <= 0) return at;
        Grow(CountPlus(num));
        memmove(th + at + num, th + at, Bytes(count - at));
        if (el) memcpy(th + at, el, Bytes(num));
        count += num;
        return at;
    }
    // Appends num entries copied from el; returns the index of the first.
    int Append(int num, const T* el, int allocExtra = 0)
    {
        int at = count;
        if (num <= 0) return at;
        int needed = CountPlus(num);
        if (allocExtra > 0 && allocExtra <= INT_MAX - needed) needed += allocExtra;
        Grow(needed);
        if (el) memcpy(th + count, el, Bytes(num));
        count += num;
        return at;
    }
    // Removes num entries from start on (clipped to the table); returns the new count.
    int Delete(int start, int num)
    {
        if (start < 0 || start > count) TabIndexError(start, count);
        if (num > count - start) num = count - start;
        if (num <= 0) return count;
        memmove(th + start, th + start + num, Bytes(count - start - num));
        count -= num;
        return count;
    }
    // Sets the storage to num entries (never below the count); returns 1.
    int Resize(int num)
    {
        if (num < count) num = count;
        if (num == 0) {
            free(th);
            th = NULL;
            allocated = 0;
            return 1;
        }
        T* p = (T*)realloc(th, Bytes(num));
        if (!p) TabMemoryError(num);
        th = p;
        allocated = num;
        return 1;
    }
    void Shrink() { Resize(count); }
    void Reverse()
    {
        for (int i = 0, j = count - 1; i < j; ++i, --j) {
            T t = th[i];
            th[i] = th[j];
            th[j] = t;
        }
    }
    void Sort(int (*cmp)(const void*, const void*))
    {
        if (count > 1) qsort(th, (size_t)count, sizeof(T), cmp);
    }

    Tab& operator=(const Tab& tb)
    {
        if (this == &tb) return *this;
        SetCount(tb.count);
        if (tb.count) memcpy(th, tb.th, Bytes(tb.count));
        return *this;
    }

    T& operator[](const int i) const
    {
        if (i < 0 || i >= count) TabIndexError(i, count);
        return th[i];
    }
};
