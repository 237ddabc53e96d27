// The query string of a web request. Any bytes parse without fault into pairs
// that each have a name, and names and values a browser encodes come back
// exactly, whatever bytes they hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "CGImap.h"

namespace {

void Check(bool holds)
{
    if (!holds)
        abort();
}

bool Plain(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Letters and digits as they are, a space as "+", every other byte as %XX
// with upper or lower case digits, as browsers differ.
std::string Encode(const std::string& text, bool lower)
{
    const char* digits = lower ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string encoded;
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if (Plain(c)) {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += digits[b >> 4];
            encoded += digits[b & 0xf];
        }
    }
    return encoded;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);

    // Each pair takes one "=" of the query.
    CGImap raw(input);
    Check(raw.size() <= static_cast<size_t>(std::count(input.begin(), input.end(), '=')));
    for (const CGIpair& pair : raw)
        Check(!pair.first.empty());
    Check(CGIpair::decodeURLString(input).size() <= input.size());

    FuzzedDataProvider fields(data, size);
    std::vector<std::pair<std::string, std::string>> sent;
    std::string query;
    while (fields.remaining_bytes() > 0) {
        std::string name = fields.ConsumeRandomLengthString();
        std::string value = fields.ConsumeRandomLengthString();
        bool lower = fields.ConsumeBool();
        // The parse ends at a pair without a name.
        if (name.empty())
            break;
        query += (query.empty() ? "" : "&") + Encode(name, lower) + "=" + Encode(value, lower);
        sent.emplace_back(name, value);
    }
    CGImap parsed(query);
    Check(parsed.size() == sent.size());
    for (size_t i = 0; i < sent.size(); ++i)
        Check(parsed[i].first == sent[i].first && parsed[i].second == sent[i].second);
    return 0;
}
