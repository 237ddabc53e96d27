// The escaping of the ticket snapshot's texts. Encoding leaves nothing that
// ends an attribute or element, or that XML forbids, and decoding restores the
// text with each such control byte as a space; decoding any bytes at all is
// safe and never lengthens the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FormatString.h"

namespace {

void Check(bool holds)
{
    if (!holds)
        abort();
}

// The control bytes XML 1.0 forbids; a text from the database holds no NUL.
bool Forbidden(char c)
{
    unsigned char b = static_cast<unsigned char>(c);
    return b >= 0x01 && b < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);

    Check(XmlDecode(text).size() <= text.size());

    std::string encoded = XmlEncode(text);
    for (char c : encoded)
        Check(!Forbidden(c) && c != '<' && c != '>' && c != '"' && c != '\'');

    std::string expected = text;
    for (char& c : expected)
        if (Forbidden(c))
            c = ' ';
    Check(XmlDecode(encoded) == expected);
    return 0;
}
