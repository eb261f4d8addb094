// The host's string class: wide characters, owned buffer, value semantics. MSTR and TSTR name
// it in plug-in code. printf formats with the Windows wide conventions (%s takes a wide string).
#pragma once

#include <stdarg.h>

#include "maxtypes.h"

class CoreExport WStr {
    wchar_t* buf; // never null: an empty string is a buffer of one terminating zero
    int len;

public:
    WStr();
    WStr(const wchar_t* s);
    explicit WStr(const char* s); // from UTF-8
    WStr(const WStr& s);
    WStr(WStr&& s);
    ~WStr();

    const wchar_t* data() const { return buf; }
    wchar_t* dataForWrite() { return buf; }
    operator const wchar_t*() const { return buf; }
    int Length() const { return len; }
    int length() const { return len; }
    bool isNull() const { return len == 0; }

    WStr& operator=(const WStr& s);
    WStr& operator=(WStr&& s);
    WStr& operator=(const wchar_t* s);
    WStr& operator+=(const WStr& s);
    WStr& operator+=(const wchar_t* s);
    WStr& operator+=(wchar_t c);
    WStr operator+(const WStr& s) const;

    int operator==(const WStr& s) const;
    int operator==(const wchar_t* s) const;
    int operator!=(const WStr& s) const { return !(*this == s); }
    int operator!=(const wchar_t* s) const { return !(*this == s); }
    bool operator<(const WStr& s) const;

    wchar_t& operator[](int i);
    wchar_t operator[](int i) const;

    // Sets the length to n characters, padding with spaces or cutting.
    void Resize(int n);
    // Position of the first (last) c, or -1.
    int first(wchar_t c) const;
    int last(wchar_t c) const;
    // Up to nchars characters from start (clipped).
    WStr Substr(int start, int nchars) const;
    void toUpper();
    void toLower();

    // Formats like swprintf; the result replaces the string. Returns its length, or -1 when
    // the format fails (the string is then empty).
    int printf(const wchar_t* format, ...);
    int vprintf(const wchar_t* format, va_list args);

    // UTF-8 form, kept by the string: valid until the string changes or goes.
    const char* ToUTF8() const;
    static WStr FromUTF8(const char* s);

private:
    mutable char* utf8;
    void Assign(const wchar_t* s, int n);
};

inline WStr operator+(const wchar_t* a, const WStr& b) { return WStr(a) + b; }

typedef WStr MSTR;
typedef WStr TSTR;
