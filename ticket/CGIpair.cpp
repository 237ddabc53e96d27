#include "CGIpair.h"

CGIpair::CGIpair(std::string name, std::string value)
    : std::pair<std::string, std::string>(decodeURLString(std::move(name)), decodeURLString(std::move(value)))
{
}

std::string CGIpair::decodeURLString(std::string URLstr)
{
    std::string result;
    result.reserve(URLstr.size());
    const size_t n = URLstr.size();
    for (size_t i = 0; i < n; ++i) {
        char c = URLstr[i];
        if (c == '+') {
            result += ' ';
        } else if (c == '%') {
            // An escape cut short by the end of the text decodes to nothing.
            if (n - i < 3)
                break;
            int value = 16 * translateHex(URLstr[i + 1]) + translateHex(URLstr[i + 2]);
            result += static_cast<char>(value & 0xff);
            i += 2;
        } else {
            result += c;
        }
    }
    return result;
}

int CGIpair::translateHex(char hex)
{
    int code = static_cast<signed char>(hex);
    if (code > '@')
        return (code & ~0x20) - 55;
    return code - '0';
}
