// Exact text for a float: the C99 hexadecimal form of the value widened to double, as glibc's
// printf("%a") writes it ("0x1.8p+1", "-0x0p+0"), with NaN as "nan" and infinities as "inf" and
// "-inf". Written out here so that the text is the same whatever C library the program runs on.
#pragma once

#include <string>

namespace quiltra {

std::string HexFloat(float value);

} // namespace quiltra
