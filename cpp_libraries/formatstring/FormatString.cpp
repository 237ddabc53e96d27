#include "FormatString.h"

#include <cstdio>
#include <vector>

std::string FormatString(std::string format, ...)
{
    va_list args;
    va_start(args, format);
    std::string result = FormatStringV(format, args);
    va_end(args);
    return result;
}

std::string FormatStringV(std::string format, va_list args)
{
    va_list again;
    va_copy(again, args);
    char buffer[1024];
    int n = vsnprintf(buffer, 1023, format.c_str(), args);
    std::string result;
    if (n < 0) {
        // An encoding error gives no defined text: return nothing rather than
        // whatever the buffer happens to hold.
    } else if (n < 1023) {
        result.assign(buffer, static_cast<size_t>(n));
    } else {
        std::vector<char> big(static_cast<size_t>(n) + 2);
        int m = vsnprintf(big.data(), static_cast<size_t>(n) + 1, format.c_str(), again);
        if (m >= 0)
            result.assign(big.data(), static_cast<size_t>(m < n ? m : n));
    }
    va_end(again);
    return result;
}
