#include "text_convert.h"

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>

namespace host_text {

std::wstring FromUTF8(const std::string& s)
{
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), NULL, 0);
    if (n <= 0) return std::wstring();
    std::wstring w((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), &w[0], n);
    return w;
}

std::string ToUTF8(const std::wstring& w)
{
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), NULL, 0, NULL, NULL);
    if (n <= 0) return std::string();
    std::string s((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, NULL, NULL);
    return s;
}

std::wstring Format(const wchar_t* format, ...)
{
    va_list args, measure;
    va_start(args, format);
    va_copy(measure, args);
    int n = _vscwprintf(format, measure);
    va_end(measure);
    std::wstring out;
    if (n > 0) {
        out.resize((size_t)n + 1);
        _vsnwprintf(&out[0], (size_t)n + 1, format, args);
        out.resize((size_t)n);
    }
    va_end(args);
    return out;
}

} // namespace host_text
