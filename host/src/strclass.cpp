// WStr: the host's wide string.
#include "strclass.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include <string>

#include "tab.h"
#include "text_convert.h"

namespace {
wchar_t* NewBuffer(int n)
{
    wchar_t* b = static_cast<wchar_t*>(malloc(sizeof(wchar_t) * (size_t)(n + 1)));
    if (!b) abort();
    b[n] = 0;
    return b;
}
} // namespace

WStr::WStr() : buf(NewBuffer(0)), len(0), utf8(NULL) { }

WStr::WStr(const wchar_t* s) : buf(NULL), len(0), utf8(NULL) { Assign(s, s ? (int)wcslen(s) : 0); }

WStr::WStr(const char* s) : buf(NULL), len(0), utf8(NULL)
{
    std::wstring w = host_text::FromUTF8(s ? s : "");
    Assign(w.c_str(), (int)w.size());
}

WStr::WStr(const WStr& s) : buf(NULL), len(0), utf8(NULL) { Assign(s.buf, s.len); }

WStr::WStr(WStr&& s) : buf(s.buf), len(s.len), utf8(s.utf8)
{
    s.buf = NewBuffer(0);
    s.len = 0;
    s.utf8 = NULL;
}

WStr::~WStr()
{
    free(buf);
    free(utf8);
}

void WStr::Assign(const wchar_t* s, int n)
{
    wchar_t* b = NewBuffer(n);
    if (n) memcpy(b, s, sizeof(wchar_t) * (size_t)n);
    free(buf);
    buf = b;
    len = n;
    free(utf8);
    utf8 = NULL;
}

WStr& WStr::operator=(const WStr& s)
{
    if (this != &s) Assign(s.buf, s.len);
    return *this;
}

WStr& WStr::operator=(WStr&& s)
{
    if (this != &s) {
        free(buf);
        free(utf8);
        buf = s.buf;
        len = s.len;
        utf8 = s.utf8;
        s.buf = NewBuffer(0);
        s.len = 0;
        s.utf8 = NULL;
    }
    return *this;
}

WStr& WStr::operator=(const wchar_t* s)
{
    if (s == buf) return *this;
    if (s && s > buf && s <= buf + len) { // a tail of this string
        std::wstring copy(s);
        Assign(copy.c_str(), (int)copy.size());
    } else {
        Assign(s, s ? (int)wcslen(s) : 0);
    }
    return *this;
}

WStr& WStr::operator+=(const WStr& s)
{
    std::wstring w(buf, (size_t)len);
    w.append(s.buf, (size_t)s.len);
    Assign(w.c_str(), (int)w.size());
    return *this;
}

WStr& WStr::operator+=(const wchar_t* s)
{
    if (!s) return *this;
    std::wstring w(buf, (size_t)len);
    w.append(s);
    Assign(w.c_str(), (int)w.size());
    return *this;
}

WStr& WStr::operator+=(wchar_t c)
{
    std::wstring w(buf, (size_t)len);
    w.push_back(c);
    Assign(w.c_str(), (int)w.size());
    return *this;
}

WStr WStr::operator+(const WStr& s) const
{
    WStr r(*this);
    r += s;
    return r;
}

int WStr::operator==(const WStr& s) const
{
    return len == s.len && wmemcmp(buf, s.buf, (size_t)len) == 0;
}

int WStr::operator==(const wchar_t* s) const { return wcscmp(buf, s ? s : L"") == 0; }

bool WStr::operator<(const WStr& s) const { return wcscmp(buf, s.buf) < 0; }

wchar_t& WStr::operator[](int i)
{
    if (i < 0 || i > len) TabIndexError(i, len + 1);
    free(utf8);
    utf8 = NULL;
    return buf[i];
}

wchar_t WStr::operator[](int i) const
{
    if (i < 0 || i > len) TabIndexError(i, len + 1);
    return buf[i];
}

void WStr::Resize(int n)
{
    if (n < 0) n = 0;
    std::wstring w(buf, (size_t)len);
    w.resize((size_t)n, L' ');
    Assign(w.c_str(), n);
}

int WStr::first(wchar_t c) const
{
    for (int i = 0; i < len; ++i)
        if (buf[i] == c) return i;
    return -1;
}

int WStr::last(wchar_t c) const
{
    for (int i = len - 1; i >= 0; --i)
        if (buf[i] == c) return i;
    return -1;
}

WStr WStr::Substr(int start, int nchars) const
{
    if (start < 0) start = 0;
    if (start > len) start = len;
    if (nchars < 0) nchars = 0;
    if (nchars > len - start) nchars = len - start;
    WStr r;
    r.Assign(buf + start, nchars);
    return r;
}

void WStr::toUpper()
{
    for (int i = 0; i < len; ++i)
        buf[i] = (wchar_t)towupper(buf[i]);
    free(utf8);
    utf8 = NULL;
}

void WStr::toLower()
{
    for (int i = 0; i < len; ++i)
        buf[i] = (wchar_t)towlower(buf[i]);
    free(utf8);
    utf8 = NULL;
}

int WStr::printf(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vprintf(format, args);
    va_end(args);
    return n;
}

// The Windows run-time's wide formatting: %s and %c take wide arguments, as plug-ins written
// for the host expect.
int WStr::vprintf(const wchar_t* format, va_list args)
{
    if (!format) {
        Assign(L"", 0);
        return -1;
    }
    va_list measure;
    va_copy(measure, args);
    int n = _vscwprintf(format, measure);
    va_end(measure);
    if (n < 0) {
        Assign(L"", 0);
        return -1;
    }
    wchar_t* b = NewBuffer(n);
    int written = _vsnwprintf(b, (size_t)n + 1, format, args);
    b[n] = 0;
    if (written < 0) {
        free(b);
        Assign(L"", 0);
        return -1;
    }
    free(buf);
    buf = b;
    len = n;
    free(utf8);
    utf8 = NULL;
    return n;
}

const char* WStr::ToUTF8() const
{
    if (!utf8) {
        std::string s = host_text::ToUTF8(std::wstring(buf, (size_t)len));
        utf8 = static_cast<char*>(malloc(s.size() + 1));
        if (!utf8) abort();
        memcpy(utf8, s.c_str(), s.size() + 1);
    }
    return utf8;
}

WStr WStr::FromUTF8(const char* s) { return WStr(s); }
