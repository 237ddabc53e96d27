// FormatString with texts and widths of any size, on both sides of its first
// buffer. The format itself stays the caller's own: a conversion the
// arguments do not match is undefined, so fuzz data only ever reaches it as
// an argument or with every "%" doubled.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "FormatString.h"

namespace {

void Check(bool holds)
{
    if (!holds)
        abort();
}

std::string Padded(const std::string& text, size_t width, bool left)
{
    if (text.size() >= width)
        return text;
    std::string pad(width - text.size(), ' ');
    return left ? text + pad : pad + text;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    int width = input.ConsumeIntegralInRange(0, 1 << 13);
    int precision = input.ConsumeIntegralInRange(0, 1 << 13);
    int number = input.ConsumeIntegral<int>();
    // A C string ends at its first NUL, and so does the text printed.
    std::string text = input.ConsumeRemainingBytesAsString();
    text = text.substr(0, text.find('\0'));
    const char* arg = text.c_str();

    Check(FormatString("%s", arg) == text);
    Check(FormatString("%*s", width, arg) == Padded(text, width, false));
    Check(FormatString("%-*.*s|", width, precision, arg) == Padded(text.substr(0, precision), width, true) + "|");
    // Both attempts must read every argument, of every type, in order.
    Check(FormatString("%*d%s", width, number, arg) == Padded(std::to_string(number), width, false) + text);

    std::string literal;
    for (char c : text)
        literal += c == '%' ? std::string("%%") : std::string(1, c);
    Check(FormatString(literal) == text);
    Check(FormatString(literal + "%s", arg) == text + text);
    return 0;
}
