// UTF-8 and UTF-16 conversions of the host's own code.
#pragma once

#include <string>

namespace host_text {

// Invalid sequences become U+FFFD.
std::wstring FromUTF8(const std::string& s);
std::string ToUTF8(const std::wstring& s);

// printf into a std::wstring with the Windows wide conventions (%s is wide).
std::wstring Format(const wchar_t* format, ...);

} // namespace host_text
